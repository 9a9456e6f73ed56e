# Runs replay.exe on one log in a fresh working directory and checks its exit
# status.  Without EXPECTED_OUTPUT it compares the saved results text and
# err.txt with the expected files byte for byte; with it, every line of that
# file must appear in what replay.exe printed.
file(REMOVE_RECURSE ${WORKDIR})
execute_process(
    COMMAND ${EMULATOR} ${REPLAY} --workdir ${WORKDIR} --save-results ${WORKDIR}/results.txt ${LOG}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
set(printed "${output}${errors}")
message("${printed}")
if(NOT status EQUAL EXPECTED_EXIT)
    message(FATAL_ERROR "replay.exe exited with ${status}, expected ${EXPECTED_EXIT}")
endif()

function(expect_same_file actual expected)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${expected} RESULT_VARIABLE differs)
    if(differs)
        execute_process(COMMAND diff -u ${expected} ${actual} OUTPUT_VARIABLE difference)
        message(FATAL_ERROR "${actual} differs from ${expected}:\n${difference}")
    endif()
endfunction()

if(EXPECTED_OUTPUT)
    file(STRINGS ${EXPECTED_OUTPUT} expected_lines)
    foreach(line IN LISTS expected_lines)
        string(FIND "${printed}" "${line}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "missing from the output: ${line}")
        endif()
    endforeach()
else()
    expect_same_file(${WORKDIR}/results.txt ${EXPECTED_RESULTS})
    expect_same_file(${WORKDIR}/err.txt ${EXPECTED_ERR})
endif()
