// Whole files: the bytes come back as written, whatever they hold, and
// every failure is said in the one form with a reason a person can act on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <functional>

#include "scratch_folder.h"
#include "base/whole_file.h"

namespace {

namespace fs = std::filesystem;

TEST(WholeFile, GivesBackEveryByteWritten)
{
    const ScratchFolder scratch;
    const fs::path file = scratch.path() / "bytes.bin";
    const std::string shapes[] = {"", "one line", "CR LF\r\nand a lone CR\r", std::string("nul\0inside", 10),
                                  std::string(3 << 20, '\xFF')};
    for (const std::string& bytes : shapes) {
        writeWholeFile(file, bytes);
        EXPECT_EQ(readWholeFile(file), bytes) << bytes.size() << " bytes";
    }
    {
        FileWriter pieces(file);
        for (const std::string& bytes : shapes)
            pieces.write(bytes);
        pieces.close();
    }
    EXPECT_EQ(readWholeFile(file), shapes[0] + shapes[1] + shapes[2] + shapes[3] + shapes[4]) << "written in pieces";
    writeWholeFile(file, "long enough");
    writeWholeFile(file, "short");
    EXPECT_EQ(readWholeFile(file), "short") << "a shorter file leaves nothing of the longer";
}

TEST(WholeFile, SaysWhyItCannotReadOrWrite)
{
    const ScratchFolder scratch;
    const fs::path folder = scratch.path();
    const std::string at = folder.u8string();
    const struct {
        std::function<void()> call;
        std::string message;
    } cases[] = {
        {[&] { readWholeFile(folder / "missing.log"); },
         "cannot read " + at + "/missing.log: No such file or directory"},
        {[&] { readWholeFile(folder); }, "cannot read " + at + ": it is a folder"},
        {[&] { writeWholeFile(folder, "x"); }, "cannot write " + at + ": it is a folder"},
        {[&] { writeWholeFile(folder / "no" / "a.txt", "x"); },
         "cannot write " + at + "/no/a.txt: No such file or directory"},
        {[&] { writeWholeFile("/dev/full", "x"); }, "cannot write /dev/full: No space left on device"},
        {[&] { FileWriter{folder}; }, "cannot write " + at + ": it is a folder"},
        {[&] {
             // The piece that does not fit fails at once; the writer says so when closed.
             FileWriter full("/dev/full");
             full.write(std::string(1 << 20, 'x'));
             full.write("more");
             full.close();
         },
         "cannot write /dev/full: No space left on device"},
    };
    for (const auto& failing : cases) {
        try {
            failing.call();
            ADD_FAILURE() << "no error for: " << failing.message;
        } catch (const FileError& error) {
            EXPECT_EQ(error.what(), failing.message);
        }
    }
}

TEST(WholeFile, ARefusedReadOnlyFileIsSaidToBeReadOnly)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes over a read-only file";
    const ScratchFolder scratch;
    const fs::path file = scratch.path() / "kept.txt";
    writeWholeFile(file, "kept");
    fs::permissions(file, fs::perms::owner_read);
    try {
        writeWholeFile(file, "lost");
        ADD_FAILURE() << "a read-only file was written";
    } catch (const FileError& error) {
        EXPECT_EQ(error.what(), "cannot write " + file.u8string() + ": the file is read-only");
    }
    fs::permissions(file, fs::perms::owner_all);
    EXPECT_EQ(readWholeFile(file), "kept");
}

}  // namespace
