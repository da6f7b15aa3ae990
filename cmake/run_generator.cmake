# Runs one generator program at build time:
#   cmake -DTOOL=<program> -DDIR=<folder> [-DEMULATOR=<runner>] -DLOG=<file> -P run_generator.cmake
# Its output goes to a file rather than to the build tool's pipe: under Wine the first
# program of a session starts helper processes that inherit that pipe and outlive the
# program, and the build would wait for them to close it.
file(MAKE_DIRECTORY "${DIR}")
execute_process(COMMAND ${EMULATOR} "${TOOL}" "${DIR}"
                OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(READ "${LOG}" output)
  message(FATAL_ERROR "${TOOL} ${DIR} failed (${result}):\n${output}")
endif()
