# cmake -DCOMMAND=<list> -DEXPECTED=<code> -P expect-exit-code.cmake
# Passes when COMMAND exits with exactly EXPECTED.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE result)
if(NOT result STREQUAL EXPECTED)
  message(FATAL_ERROR "expected exit code ${EXPECTED}, got '${result}' from: ${COMMAND}")
endif()
