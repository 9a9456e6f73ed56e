// A folder of the test's own in the build tree, empty at the start.
#pragma once

#include <filesystem>

#include <gtest/gtest.h>

inline std::filesystem::path scratchFolder()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder =
        std::filesystem::path(BASE_SCRATCH_DIR) / test->test_suite_name() / test->name();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}
