# Runs replay.exe (through Stats.dll) and zemrix-check.exe (through the
# plug-in's portable entry points) on one log and compares the results text
# and err.txt byte for byte.  A file that neither can play (no log, no QSO)
# must be refused by both.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/check)
execute_process(
    COMMAND ${EMULATOR} ${REPLAY} --workdir ${WORKDIR}/replay --save-results ${WORKDIR}/replay/results.txt ${LOG}
    RESULT_VARIABLE replay_status OUTPUT_QUIET ERROR_QUIET)
execute_process(
    COMMAND ${EMULATOR} ${CHECKER} --save-results ${WORKDIR}/check/results.txt
            --save-errors ${WORKDIR}/check/err.txt ${LOG}
    RESULT_VARIABLE check_status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")

if(replay_status EQUAL 1)
    if(NOT check_status EQUAL 1)
        message(FATAL_ERROR "replay.exe refused ${LOG}, zemrix-check exited with ${check_status}")
    endif()
    file(REMOVE_RECURSE ${WORKDIR})
    return()
endif()
if(NOT check_status EQUAL 0)
    message(FATAL_ERROR "zemrix-check exited with ${check_status} on ${LOG}; replay.exe with ${replay_status}")
endif()
foreach(pair "replay/results.txt;check/results.txt" "replay/err.txt;check/err.txt")
    list(GET pair 0 theirs)
    list(GET pair 1 ours)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORKDIR}/${theirs} ${WORKDIR}/${ours}
                    RESULT_VARIABLE differs)
    if(differs)
        execute_process(COMMAND diff -u ${WORKDIR}/${theirs} ${WORKDIR}/${ours} OUTPUT_VARIABLE difference)
        message(FATAL_ERROR "${ours} differs from ${theirs}:\n${difference}")
    endif()
endforeach()
file(REMOVE_RECURSE ${WORKDIR})
