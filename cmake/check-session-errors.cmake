# Plays session scripts with a fault in their last line: each must stop with
# exit status 2 and say what is wrong with the script's name and line (never
# an abort of the host). Variables: HOST, EMULATOR (optional), WORK (a folder).
# Each case: the script's lines (";" parts them), then the message expected.
set(cases
  "say a path with a blank, not quoted|hold Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log"
    "bad.session:2: 'hold': 'Games\\Halvorine\\QVEX\\Velloquin.log' is not a number"
  "hold \"Data\\My Games\\x.log\" 2x" "bad.session:1: 'hold': '2x' is not a number"
  "say a key|key down 0x1G" "bad.session:2: 'key': '0x1G' is not a number"
  "wait 99999999999" "bad.session:1: 'wait': '99999999999' is not a number"
  "wait -5" "bad.session:1: 'wait': '-5' is not a number"
  "show-folder My Games" "bad.session:1: too many words after the path: put a path with blanks in quotes"
  "delete \"My Games" "bad.session:1: a quote that is not closed: \"My Games"
  "damage Halvorine.esm 1 Halvorine.esm 2 much" "bad.session:1: 'damage': a malformed number in 'Halvorine.esm 1 Halvorine.esm 2 much'"
  "pad trigger left 0x" "bad.session:1: 'pad': '0x' is not a number"
)
list(LENGTH cases count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET cases ${i} script)
  list(GET cases ${j} expected)
  string(REPLACE "|" "\n" script "${script}")
  file(WRITE "${WORK}/bad.session" "${script}\n")
  execute_process(COMMAND ${EMULATOR} ${HOST} bad.session WORKING_DIRECTORY "${WORK}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "'${script}': the host ended with ${status}, not 2\n${out}\n${err}")
  endif()
  string(FIND "${out}" "${expected}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "'${script}': the transcript does not end with \"${expected}\":\n${out}\n${err}")
  endif()
endforeach()
message(STATUS "every faulty script stopped with its line")
