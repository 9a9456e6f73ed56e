# zemrix-check's command line: each case runs the program (through
# EMULATOR, when set) and asks for an exit status and a text in what it
# printed.  Scratch files live in WORKDIR, which is removed at the end.
#   -DCHECKER=... -DEMULATOR=... -DLOGS=<five-log logs> -DSAMPLE=<a log whose claim is right>
#   -DWORKDIR=...
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/empty-folder)
file(READ ${SAMPLE} sample)
string(REPLACE "CLAIMED-SCORE: 73696" "CLAIMED-SCORE: 73695" wrong_claim "${sample}")
file(WRITE ${WORKDIR}/wrong-claim.log "${wrong_claim}")
file(WRITE ${WORKDIR}/twice.ini "nil_penalty = 1\nnil_penalty = 2\n")
file(WRITE ${WORKDIR}/empty.ini "; nothing set\n")
file(WRITE ${WORKDIR}/bad-time.ini "start = 2025-12-20 25:61\n")
# The committee's list of busts lies beside its contest.ini, not where the
# program runs.
file(WRITE ${WORKDIR}/committee/busts.ini "busted_calls = busts.txt\n")
file(WRITE ${WORKDIR}/committee/busts.txt "RD4B -> RD4D\n")
file(WRITE ${WORKDIR}/committee/bad-bust.ini "busted_calls = bad-bust.txt\n")
file(WRITE ${WORKDIR}/committee/bad-bust.txt "RD4B -> RD4D\nRA1A RA1B\n")
file(WRITE ${WORKDIR}/committee/no-busts.ini "busted_calls = none.txt\n")

set(failures "")
# case: name, expected exit status, expected text, arguments...
function(check_case name status text)
    execute_process(COMMAND ${EMULATOR} ${CHECKER} ${ARGN} WORKING_DIRECTORY ${WORKDIR}
                    RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(FIND "${out}${err}" "${text}" at)
    if(NOT got STREQUAL status OR at EQUAL -1)
        set(failures "${failures}\n${name}: exit ${got} (expected ${status}), wanted \"${text}\" in:\n${out}${err}"
            PARENT_SCOPE)
    endif()
endfunction()

check_case(help 0 "usage: zemrix-check" --help)
check_case(unknown-option 1 "unknown option --frobnicate" --frobnicate x.log)
check_case(missing-folder 1 "cannot open ini/nothere" --out out ini/nothere)
check_case(empty-folder 1 "no log files in the folder" --out out empty-folder)
check_case(missing-among-logs 1 "cannot open nothere.log" --out out ${LOGS} nothere.log)
check_case(two-logs-one-mode 1 "more than one log" ${SAMPLE} ${SAMPLE})
check_case(one-log-claim-right 0 "Claimed score: 73696, computed: 73696\n" ${SAMPLE})
check_case(one-log-claim-wrong 0 "Claimed score: 73695, computed: 73696  <- they differ" wrong-claim.log)
check_case(key-twice 1 "twice.ini:2: nil_penalty is given twice; first on line 1" --config twice.ini --out out ${LOGS})
check_case(no-settings 1 "empty.ini: no settings" --config empty.ini --out out ${LOGS})
check_case(bad-time 1 "bad-time.ini:1: time \"25:61\" is not a clock time" --config bad-time.ini ${SAMPLE})
check_case(busts-beside-config 0 "Reports in out" --config committee/busts.ini --out out ${LOGS})
check_case(bad-bust 1 "bad-bust.txt:2: \"RA1A RA1B\" is not CALL -> CALL" --config committee/bad-bust.ini --out out ${LOGS})
check_case(missing-busts 1 "none.txt" --config committee/no-busts.ini --out out ${LOGS})
check_case(bad-checked-at 1 "--checked-at: time \"24:00\" is not a clock time" --checked-at "2026-01-10 24:00" --out out ${LOGS})
check_case(chosen-log 0 "the organiser chose rb2b-1.log" --use-log rb2b-1.log --out out ${LOGS})

file(REMOVE_RECURSE ${WORKDIR})
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
