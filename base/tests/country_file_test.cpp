// The country file beside the program comes first; a folder of that name is
// no country file; with none beside it, the system's copy or nothing.
#include <gtest/gtest.h>

#include "scratch_folder.h"
#include "base/country_file.h"
#include "base/whole_file.h"

namespace {

namespace fs = std::filesystem;

std::optional<fs::path> systemCopy()
{
    const fs::path debian = "/usr/share/hamradio-files/cty.dat";
    return fs::is_regular_file(debian) ? std::optional<fs::path>(debian) : std::nullopt;
}

TEST(CountryFile, BesideTheProgramFirstThenTheSystemsCopy)
{
    const ScratchFolder scratch;
    const fs::path program = scratch.path();
    EXPECT_EQ(findCountryFile(program), systemCopy()) << "nothing beside the program";
    fs::create_directory(program / "cty.dat");
    EXPECT_EQ(findCountryFile(program), systemCopy()) << "a folder named cty.dat";
    fs::remove(program / "cty.dat");
    writeWholeFile(program / "cty.dat", "");
    EXPECT_EQ(findCountryFile(program), program / "cty.dat");
}

}  // namespace
