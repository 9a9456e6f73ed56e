/* Preloaded into the robot by durability_test.py: counts the fsync and
 * fdatasync calls on files whose names end in "-wal" (SQLite's write-ahead
 * log) by appending one byte per call to the file $WAL_FSYNC_COUNT_FILE. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void countIfWal(int fd)
{
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path);
    const char* countFile = getenv("WAL_FSYNC_COUNT_FILE");
    if (length < 4 || !countFile || memcmp(path + length - 4, "-wal", 4) != 0)
        return;
    const int count = open(countFile, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (count >= 0) {
        (void)!write(count, "s", 1);
        close(count);
    }
}

static int countedCall(const char* name, int (**real)(int), int fd)
{
    if (!*real)
        *real = (int (*)(int))dlsym(RTLD_NEXT, name);
    countIfWal(fd);
    return (*real)(fd);
}

int fsync(int fd)
{
    static int (*real)(int);
    return countedCall("fsync", &real, fd);
}

int fdatasync(int fd)
{
    static int (*real)(int);
    return countedCall("fdatasync", &real, fd);
}
