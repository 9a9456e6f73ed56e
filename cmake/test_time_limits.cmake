# Every test runs under a time limit, so that a test that hangs fails
# within it rather than stalling the test command for CTest's default of
# 1,500 s.  tools/test.sh refuses a build that has a test without one.
set(ZEMRIX_TEST_TIMEOUT 120 CACHE STRING "Seconds one test may run unless it sets a limit of its own")

# Gives every test that the calling directory adds with add_test(), and that
# sets no TIMEOUT itself, the default limit.  Runs once the directory's file
# has been read, so it sees the tests added after the call too.
function(limit_test_times)
    cmake_language(DEFER CALL _limit_test_times_now "${CMAKE_CURRENT_SOURCE_DIR}")
endfunction()

function(_limit_test_times_now directory)
    get_property(tests DIRECTORY "${directory}" PROPERTY TESTS)
    foreach(test IN LISTS tests)
        get_test_property(${test} TIMEOUT timeout)
        if(NOT timeout)
            set_tests_properties(${test} PROPERTIES TIMEOUT ${ZEMRIX_TEST_TIMEOUT})
        endif()
    endforeach()
endfunction()

# gtest_discover_tests() with each test case under the default limit.
function(discover_time_limited_gtests target)
    gtest_discover_tests(${target} PROPERTIES TIMEOUT ${ZEMRIX_TEST_TIMEOUT} ${ARGN})
endfunction()
