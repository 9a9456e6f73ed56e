// The replay tool's Cabrillo reader on any file: it reads or says why not,
// and never reads past what it was given.  Kept to the reader's entry point
// alone, so that it outlives changes inside the reader.
#include <string>

#include "logfile/cabrillo_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // A copy of its own, so that a read past its end is caught.
    const std::string file(reinterpret_cast<const char*>(data), size);
    try {
        readCabrilloLog(file, "fuzz.log");
    } catch (const LogFileError&) {
        // A file that is no log at all is refused by name, which is an answer.
    }
    return 0;
}
