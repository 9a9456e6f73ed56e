// A test of the real DLL in a fresh working directory, as the host would
// run it: Stats.dll loaded for the test and unloaded after it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "stats_dll.h"
#include "support/scratch_dir.h"

class DllTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::unique_ptr<StatsDll> dll = std::make_unique<StatsDll>();
};
