# Runs every replay.exe command the operator's guides (GUIDES_DIR/README-*.txt)
# quote, as an operator would type it into a command prompt, and fails when
# one exits with an error or meets an option replay.exe does not know.  A
# command is a line set off by four blanks or more that begins with
# "replay.exe" (text is indented three at most), or "replay.exe ..." quoted
# inside the text.  Every guide must quote the same commands: they are one
# guide in several languages.
#
# The log a command names is replaced by the sample log at the same path
# under RUNS (C:\Vexo\RK3DZB.cbr becomes RUNS/.../C/Vexo/RK3DZB.cbr, blanks
# kept): the Cabrillo sample for .cbr and .log, the ADIF sample for .adi,
# without its own callsign, as the logs the guides' --call is for.  Each
# command runs in a fresh folder of its own, so relative paths such as
# check\report.html land there; a command that names a log must print the
# sample's score, and a --report file must be written.
#
#   cmake -DEMULATOR=wine -DREPLAY=replay.exe -DGUIDES_DIR=docs
#         -DSAMPLE_CABRILLO=... -DSAMPLE_ADIF=... -DEXPECTED_RESULTS=...
#         -DRUNS=DIR -P guide_commands.cmake

# The commands one guide quotes, in the order it quotes them.
function(quoted_commands guide result)
    file(READ ${guide} text)
    # A guide's own semicolons would split its lines apart.
    string(REPLACE ";" "," text "${text}")
    string(REPLACE "\r" "" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(commands)
    foreach(line IN LISTS lines)
        if(line MATCHES "^     *(replay\\.exe( .*)?)$")
            string(STRIP "${CMAKE_MATCH_1}" command)
            list(APPEND commands "${command}")
        else()
            string(REGEX MATCHALL "\"replay\\.exe [^\"]*\"" inline "${line}")
            foreach(quoted IN LISTS inline)
                string(REGEX REPLACE "^\"(.*)\"$" "\\1" command "${quoted}")
                list(APPEND commands "${command}")
            endforeach()
        endif()
    endforeach()
    set(${result} "${commands}" PARENT_SCOPE)
endfunction()

# The sample standing in for the log at Windows path `path`, placed under
# `root`; sets `result` to its path in Windows form.
function(stand_in_log path root result)
    string(REGEX REPLACE "^([A-Za-z]):" "\\1" relative "${path}")
    string(REPLACE "\\" "/" relative "${relative}")
    set(copy "${root}/${relative}")
    get_filename_component(folder "${copy}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    if(path MATCHES "\\.[Aa][Dd][Ii][Ff]?$")
        file(READ ${SAMPLE_ADIF} adif)
        string(REGEX REPLACE "<STATION_CALLSIGN:[0-9]+>[^ <]* *" "" adif "${adif}")
        file(WRITE "${copy}" "${adif}")
    else()
        configure_file(${SAMPLE_CABRILLO} "${copy}" COPYONLY)
    endif()
    string(REPLACE "/" "\\" windows_path "Z:${copy}")
    set(${result} "${windows_path}" PARENT_SCOPE)
endfunction()

function(run_quoted_command command folder)
    separate_arguments(arguments WINDOWS_COMMAND "${command}")
    list(POP_FRONT arguments)  # replay.exe itself
    set(run_arguments)
    set(names_log FALSE)
    set(report "")
    set(previous "")
    foreach(argument IN LISTS arguments)
        if(argument MATCHES "\\.([Cc][Bb][Rr]|[Ll][Oo][Gg]|[Aa][Dd][Ii][Ff]?)$" AND NOT previous MATCHES "^--")
            stand_in_log("${argument}" "${folder}" argument)
            set(names_log TRUE)
        elseif(previous STREQUAL "--report")
            set(report "${folder}/${argument}")
            string(REPLACE "\\" "/" report "${report}")
        endif()
        list(APPEND run_arguments "${argument}")
        set(previous "${argument}")
    endforeach()

    execute_process(COMMAND ${EMULATOR} ${REPLAY} ${run_arguments}
        WORKING_DIRECTORY ${folder} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    set(printed "${output}${errors}")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "the guides' command `${command}` exited with ${status}:\n${printed}")
    endif()
    string(TOLOWER "${printed}" lower)
    if(lower MATCHES "unknown option")
        message(FATAL_ERROR "the guides' command `${command}` names an option replay.exe does not know:\n${printed}")
    endif()
    if(names_log)
        file(STRINGS ${EXPECTED_RESULTS} score REGEX "^Score: ")
        string(STRIP "${score}" score)
        string(FIND "${printed}" "${score}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "the guides' command `${command}` did not print the sample's \"${score}\":\n${printed}")
        endif()
    endif()
    if(report AND NOT EXISTS "${report}")
        message(FATAL_ERROR "the guides' command `${command}` wrote no ${report}:\n${printed}")
    endif()
endfunction()

file(GLOB guides ${GUIDES_DIR}/README-*.txt)
set(quoted_by_first "")
foreach(guide IN LISTS guides)
    quoted_commands(${guide} commands)
    if(NOT commands)
        message(FATAL_ERROR "${guide} quotes no replay.exe command: has the way it quotes them changed?")
    endif()
    if(NOT quoted_by_first)
        set(quoted_by_first "${commands}")
        set(first_guide ${guide})
    elseif(NOT commands STREQUAL quoted_by_first)
        string(REPLACE ";" "\n  " these "${commands}")
        string(REPLACE ";" "\n  " those "${quoted_by_first}")
        message(FATAL_ERROR "${guide} quotes\n  ${these}\nbut ${first_guide} quotes\n  ${those}")
    endif()
endforeach()

file(REMOVE_RECURSE ${RUNS})
list(REMOVE_DUPLICATES quoted_by_first)
set(number 0)
foreach(command IN LISTS quoted_by_first)
    math(EXPR number "${number} + 1")
    set(folder ${RUNS}/command-${number})
    file(MAKE_DIRECTORY ${folder})
    message("${command}")
    run_quoted_command("${command}" ${folder})
endforeach()
file(REMOVE_RECURSE ${RUNS})
