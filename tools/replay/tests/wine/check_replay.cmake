# Runs replay.exe on one log in a fresh working directory and checks its exit
# status.  Without EXPECTED_OUTPUT it compares the saved results text and
# err.txt with the expected files byte for byte; with it, every line of that
# file must appear in what replay.exe printed.  With CLEAN_LOG the expected
# files are those of a replay of that log.  With HEADER_FILE the replay
# exports, with HEADER_VALUES given as --header; the Cabrillo file must hold
# the header values, every QSO Stats.dll stored and the claimed score of the
# expected results.  Each run writes the HTML report; where the results are
# compared, its summary must count the results' QSOs.
file(REMOVE_RECURSE ${WORKDIR})
if(HEADER_FILE)
    set(export_options --export --header-file ${HEADER_FILE})
    foreach(value IN LISTS HEADER_VALUES)
        list(APPEND export_options --header ${value})
    endforeach()
endif()

# Runs replay.exe on `log` in `workdir`; sets `printed` to what it printed.
function(run_replay log workdir expected_exit)
    execute_process(
        COMMAND ${EMULATOR} ${REPLAY} --workdir ${workdir} --save-results ${workdir}/results.txt
                --report ${workdir}/report.html ${export_options} ${log}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    message("${output}${errors}")
    if(NOT status EQUAL expected_exit)
        message(FATAL_ERROR "replay.exe exited with ${status} on ${log}, expected ${expected_exit}")
    endif()
    set(printed "${output}${errors}" PARENT_SCOPE)
endfunction()

if(CLEAN_LOG)
    run_replay(${CLEAN_LOG} ${WORKDIR}/clean 0)
    set(EXPECTED_RESULTS ${WORKDIR}/clean/results.txt)
    set(EXPECTED_ERR ${WORKDIR}/clean/err.txt)
endif()
run_replay(${LOG} ${WORKDIR} ${EXPECTED_EXIT})

function(expect_in text fragment where)
    string(FIND "${text}" "${fragment}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "missing from ${where}: ${fragment}")
    endif()
endfunction()

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
        expect_in("${printed}" "${line}" "the output")
    endforeach()
else()
    expect_same_file(${WORKDIR}/results.txt ${EXPECTED_RESULTS})
    expect_same_file(${WORKDIR}/err.txt ${EXPECTED_ERR})
    # The report's summary counts the QSOs the results count, in either language.
    file(READ ${EXPECTED_RESULTS} results)
    string(REGEX MATCH "Total\t *([0-9]+)" total "${results}")
    set(total ${CMAKE_MATCH_1})
    file(READ ${WORKDIR}/report.html report)
    string(REGEX MATCH "<tr class=\"total\"><th>[^<]*</th><td>${total}</td></tr>" counted "${report}")
    if(NOT counted)
        message(FATAL_ERROR "${WORKDIR}/report.html does not count the ${total} QSOs of the results")
    endif()
endif()

if(HEADER_FILE)
    file(STRINGS ${LOG} own_callsign REGEX "^CALLSIGN: ")
    string(REGEX REPLACE "^CALLSIGN: *" "" own_callsign "${own_callsign}")
    set(cabrillo_file ${WORKDIR}/${own_callsign}.cbr)
    expect_in("${printed}" "Pressed OK on \"Output\" during GetResult0: File produced: ${own_callsign}.cbr" "the output")
    expect_in("${printed}" "Cabrillo file: ${cabrillo_file}\n" "the output")
    file(READ ${cabrillo_file} cabrillo)
    file(READ ${EXPECTED_RESULTS} results)
    string(REGEX MATCH "= ([0-9]+)" score "${results}")
    expect_in("${cabrillo}" "CLAIMED-SCORE: ${CMAKE_MATCH_1}\n" ${cabrillo_file})
    file(STRINGS ${HEADER_FILE} header_lines REGEX "^Name=")
    string(REPLACE "Name=" "NAME: " name_line "${header_lines}")
    expect_in("${cabrillo}" "${name_line}\n" ${cabrillo_file})
    foreach(value IN LISTS HEADER_VALUES)
        string(REGEX REPLACE "^Mode=" "CATEGORY-MODE: " value "${value}")
        string(REGEX REPLACE "^Power=" "CATEGORY-POWER: " value "${value}")
        expect_in("${cabrillo}" "${value}\n" ${cabrillo_file})
    endforeach()
    # Every QSO Stats.dll stored, duplicates included; the rejected ones not.
    string(REGEX MATCH "AddData0: ([0-9]+) stored" stored "${printed}")
    file(STRINGS ${cabrillo_file} written REGEX "^QSO:")
    list(LENGTH written written_count)
    if(NOT written_count EQUAL CMAKE_MATCH_1)
        message(FATAL_ERROR "${cabrillo_file} has ${written_count} QSO lines; Stats.dll stored ${CMAKE_MATCH_1}")
    endif()
endif()
