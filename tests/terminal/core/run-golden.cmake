# Runs znterm-dump on one golden input and compares its output byte for byte.
#   cmake -DTOOL=... -DINPUT=x.in -DEXPECTED=x.out -DARGS="--cols 10" -P run-golden.cmake
separate_arguments(args UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${TOOL} ${args} ${INPUT} OUTPUT_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "znterm-dump ${ARGS} ${INPUT} exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
    message(FATAL_ERROR "screen of ${INPUT} differs.\n--- got:\n${output}--- expected:\n${expected}")
endif()
