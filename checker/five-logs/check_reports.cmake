# Runs zemrix-check (through EMULATOR, when set) on the five-log contest
# and compares every file it writes with the expected ones byte for byte:
# qsos.csv, results.csv, results.json, results.html, lists.html and each
# participant's report and whole-log page, with no file more or fewer.  The
# time of the check is fixed, so the pages come out the same every run.
file(REMOVE_RECURSE ${OUT})
execute_process(
    COMMAND ${EMULATOR} ${CHECKER} --config ${CONFIG} --checked-at "2026-01-10 12:00" --out ${OUT} ${LOGS}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zemrix-check exited with ${status}")
endif()

file(GLOB_RECURSE expected_files RELATIVE ${EXPECTED} ${EXPECTED}/*)
file(GLOB_RECURSE written_files RELATIVE ${OUT} ${OUT}/*)
list(SORT expected_files)
list(SORT written_files)
if(NOT expected_files STREQUAL written_files)
    message(FATAL_ERROR "written: ${written_files}\nexpected: ${expected_files}")
endif()
foreach(name IN LISTS expected_files)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${EXPECTED}/${name}
                    RESULT_VARIABLE differs)
    if(differs)
        execute_process(COMMAND diff -u ${EXPECTED}/${name} ${OUT}/${name} OUTPUT_VARIABLE difference)
        message(FATAL_ERROR "${name} differs from the expected:\n${difference}")
    endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
