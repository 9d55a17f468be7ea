# Runs one test of a test program in which the plug-in ends the process where
# no test expects it, and checks that the program fails as the test host makes
# it: exit status 97 and the host's line on standard error. Variables: PROGRAM,
# EMULATOR (optional), FILTER (a GoogleTest filter).
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --gtest_also_run_disabled_tests --gtest_filter=${FILTER}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 97)
  message(FATAL_ERROR "an end no test expects left the program with ${status}, not 97\n${output}\n${errors}")
endif()
if(NOT errors MATCHES "\\[host\\] FAILED: the plug-in ended the process \\(exit code 0\\) where no test expects it")
  message(FATAL_ERROR "the host did not say why the program failed\n${errors}")
endif()
message(STATUS "an end no test expects fails the program")
