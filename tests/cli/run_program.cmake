# Runs the built kestrane-cli once, as a user would (under Wine for a Windows
# build), and compares its status, standard output and standard error byte for
# byte with what a case expects.
#   PROGRAM   the executable;  EMULATOR  what runs it, if anything
#   ARGS      its arguments, separated by "|";  INPUT  a file for standard input
#   STATUS    the expected exit status;  OUT, ERR  files holding the expected output, or empty for none
foreach(var PROGRAM STATUS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_program.cmake needs -D${var}=...")
  endif()
endforeach()
string(REPLACE "|" ";" args "${ARGS}")
set(input_option)
if(INPUT)
  set(input_option INPUT_FILE ${INPUT})
endif()
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${args} ${input_option}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)

set(expected_out "")
if(OUT)
  file(READ ${OUT} expected_out)
endif()
set(expected_err "")
if(ERR)
  file(READ ${ERR} expected_err)
endif()
set(failed FALSE)
if(NOT status STREQUAL STATUS)
  message(SEND_ERROR "arguments [${ARGS}]: exit status ${status}, expected ${STATUS}")
  set(failed TRUE)
endif()
if(NOT out STREQUAL expected_out)
  message(SEND_ERROR "arguments [${ARGS}]: standard output\n[${out}]\nexpected\n[${expected_out}]")
  set(failed TRUE)
endif()
if(NOT err STREQUAL expected_err)
  message(SEND_ERROR "arguments [${ARGS}]: standard error\n[${err}]\nexpected\n[${expected_err}]")
  set(failed TRUE)
endif()
if(NOT failed)
  message(STATUS "arguments [${ARGS}]: as expected")
endif()
