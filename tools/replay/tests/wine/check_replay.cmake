# Runs replay.exe on one log in a fresh working directory and checks its exit
# status and what it printed.
#
#   LOG             the log; a relative path is taken from WORKDIR
#   ARGS            more arguments, ahead of the log; {workdir} stands for it
#   OWN_FOLDER      run in WORKDIR without --workdir and --save-results
#   PREPARE         what WORKDIR holds before the run: "folder:NAME",
#                   "read-only:NAME", "copy-log:NAME" (the log, copied there
#                   and replayed from there), "host-settings" (a
#                   Plugins/ZEMRIX.ini as the logging program leaves it)
#   NO_DISPLAY      run without an X display
#   RUSSIAN         run with the system's language set to Russian
#   EXPECT          fragments the output must hold; {workdir} as above
#   ABSENT          fragments the output must not hold
#   EXPECTED_OUTPUT a file of such fragments, one a line
#   EXPORT          export the Cabrillo file, with HEADER_FILE and
#                   HEADER_VALUES (--header) when given; CABRILLO_HOLDS are
#                   lines it must hold
#
# Without EXPECT and EXPECTED_OUTPUT, the saved results text and err.txt
# must equal the expected files byte for byte: those of a replay of
# CLEAN_LOG when given, and the HTML report written beside them must count
# the results' QSOs.  An export whose results are compared must also hold
# every QSO Stats.dll stored and the claimed score of the results.
# replay.exe runs in WORKDIR: paths given relative to here are made whole.
get_filename_component(REPLAY "${REPLAY}" ABSOLUTE)
if(LOG)
    get_filename_component(LOG "${LOG}" ABSOLUTE)
endif()
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
string(REPLACE "{workdir}" "${WORKDIR}" ARGS "${ARGS}")
string(REPLACE "{workdir}" "${WORKDIR}" EXPECT "${EXPECT}")
if(EXPECTED_OUTPUT)
    file(STRINGS ${EXPECTED_OUTPUT} expected_lines)
    list(APPEND EXPECT ${expected_lines})
endif()

foreach(item IN LISTS PREPARE)
    if(item MATCHES "^folder:(.*)")
        file(MAKE_DIRECTORY "${WORKDIR}/${CMAKE_MATCH_1}")
    elseif(item MATCHES "^read-only:(.*)")
        file(WRITE "${WORKDIR}/${CMAKE_MATCH_1}" "kept\n")
        file(CHMOD "${WORKDIR}/${CMAKE_MATCH_1}" PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
    elseif(item MATCHES "^copy-log:(.*)")
        get_filename_component(folder "${WORKDIR}/${CMAKE_MATCH_1}" DIRECTORY)
        file(MAKE_DIRECTORY "${folder}")
        file(COPY_FILE ${LOG} "${WORKDIR}/${CMAKE_MATCH_1}")
        set(LOG "${CMAKE_MATCH_1}")
    elseif(item STREQUAL "host-settings")
        file(WRITE ${WORKDIR}/Plugins/ZEMRIX.ini "[Settings]\r\nName=The host's own\r\n")
    else()
        message(FATAL_ERROR "unknown PREPARE item ${item}")
    endif()
endforeach()

set(environment)
if(NO_DISPLAY)
    list(APPEND environment --unset=DISPLAY)
endif()
if(RUSSIAN)
    # Wine takes the UI language from the Unix locale, which must exist: one
    # of its own, so the machine needs no Russian locale installed.
    set(locales ${WORKDIR}/../locales)
    if(NOT EXISTS ${locales}/ru_RU.UTF-8)
        file(MAKE_DIRECTORY ${locales})
        execute_process(COMMAND localedef -i ru_RU -f UTF-8 ${locales}/ru_RU.UTF-8 RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "localedef could not make the Russian locale")
        endif()
    endif()
    list(APPEND environment LOCPATH=${locales} LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8)
endif()

if(EXPORT)
    list(APPEND ARGS --export)
    if(HEADER_FILE)
        list(APPEND ARGS --header-file ${HEADER_FILE})
    endif()
    foreach(value IN LISTS HEADER_VALUES)
        list(APPEND ARGS --header ${value})
    endforeach()
endif()

# Runs replay.exe on `log` in `workdir`; sets `printed` to what it printed.
function(run_replay log workdir expected_exit)
    set(where --workdir ${workdir} --save-results ${workdir}/results.txt)
    if(NOT "${ARGS}" MATCHES "--report")
        list(APPEND where --report ${workdir}/report.html)
    endif()
    if(OWN_FOLDER)
        set(where)
    endif()
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env ${environment} ${EMULATOR} ${REPLAY} ${where} ${ARGS} ${log}
        WORKING_DIRECTORY ${WORKDIR}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    message("${output}${errors}")
    if(NO_DISPLAY)
        # The Wine server of a process without a display would serve the
        # next test too; it ends once this run's processes are gone.
        execute_process(COMMAND wineserver -w)
    endif()
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
run_replay("${LOG}" ${WORKDIR} ${EXPECTED_EXIT})

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

foreach(fragment IN LISTS EXPECT)
    expect_in("${printed}" "${fragment}" "the output")
endforeach()
foreach(fragment IN LISTS ABSENT)
    string(FIND "${printed}" "${fragment}" at)
    if(fragment AND NOT at EQUAL -1)
        message(FATAL_ERROR "the output holds what it must not: ${fragment}")
    endif()
endforeach()
if(EXPECT)
    return()
endif()

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

if(EXPORT)
    file(STRINGS ${LOG} own_callsign REGEX "^CALLSIGN: ")
    string(REGEX REPLACE "^CALLSIGN: *" "" own_callsign "${own_callsign}")
    set(cabrillo_file ${WORKDIR}/${own_callsign}.cbr)
    expect_in("${printed}" "Cabrillo file: ${cabrillo_file}\n" "the output")
    file(READ ${cabrillo_file} cabrillo)
    file(READ ${EXPECTED_RESULTS} results)
    string(REGEX MATCH "= ([0-9]+)" score "${results}")
    expect_in("${cabrillo}" "CLAIMED-SCORE: ${CMAKE_MATCH_1}\n" ${cabrillo_file})
    foreach(line IN LISTS CABRILLO_HOLDS)
        expect_in("${cabrillo}" "${line}\n" ${cabrillo_file})
    endforeach()
    # Every QSO Stats.dll stored, duplicates included; the rejected ones not.
    string(REGEX MATCH "Contest rules: ([0-9]+) QSOs taken" stored "${printed}")
    file(STRINGS ${cabrillo_file} written REGEX "^QSO:")
    list(LENGTH written written_count)
    if(NOT written_count EQUAL CMAKE_MATCH_1)
        message(FATAL_ERROR "${cabrillo_file} has ${written_count} QSO lines; Stats.dll stored ${CMAKE_MATCH_1}")
    endif()
endif()
