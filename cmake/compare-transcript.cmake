# Runs a session script in the test host and compares the transcript with the
# expected one, byte for byte. Variables: HOST, EMULATOR (optional), SCRIPT, EXPECTED.
execute_process(COMMAND ${EMULATOR} ${HOST} ${SCRIPT}
                OUTPUT_VARIABLE transcript ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the host ended with ${status}\n${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT transcript STREQUAL expected)
  get_filename_component(name ${EXPECTED} NAME)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual "${transcript}")
  message(FATAL_ERROR "the transcript differs from ${EXPECTED}; see ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual")
endif()
message(STATUS "transcript matches ${EXPECTED}")
