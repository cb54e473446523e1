# Runs the built kestrane-cli once, as a user would (under Wine for a Windows
# build), and compares its status, standard output and standard error byte for
# byte with what a case expects.
#   PROGRAM   the executable;  EMULATOR  what runs it, if anything
#   ARGS      its arguments, separated by "|";  INPUT  a file for standard input
#   STATUS    the expected exit status;  OUT, ERR  files holding the expected output, or empty for none
#   WORK      where to keep what the program wrote (WORK.out, WORK.err)
#   WRITTEN   a file holding what the program must have written to WORK.written
#             (its arguments name that file), or empty
#   STDOUT    "full" to write standard output to /dev/full, "closed" to start
#             the program with it closed, empty for WORK.out
foreach(var PROGRAM STATUS WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_program.cmake needs -D${var}=...")
  endif()
endforeach()
string(REPLACE "|" ";" args "${ARGS}")
set(input_option)
if(INPUT)
  set(input_option INPUT_FILE ${INPUT})
endif()
# Wine turns the Unix command line into the Windows one in the locale's
# character set: UTF-8 keeps a file name such as 測定.csv whole.
set(ENV{LC_ALL} C.UTF-8)
# Output goes to files, not variables: execute_process drops the CR of a CRLF in
# what it captures, and a CR is exactly what the Windows build must not write.
set(command ${EMULATOR} ${PROGRAM} ${args})
set(output_file ${WORK}.out)
if(STDOUT STREQUAL "full")
  set(output_file /dev/full)
elseif(STDOUT STREQUAL "closed")
  set(command sh -c "exec \"$@\" >&-" sh ${command})
endif()
file(REMOVE ${WORK}.out ${WORK}.written)
execute_process(COMMAND ${command} ${input_option}
                RESULT_VARIABLE status OUTPUT_FILE ${output_file} ERROR_FILE ${WORK}.err)
if(NOT output_file STREQUAL "${WORK}.out")
  file(TOUCH ${WORK}.out)
endif()

# Each text as hex, so that every byte counts in the comparison, and as text for the message.
function(read_bytes path hex_var text_var)
  set(hex "")
  set(text "")
  if(path)
    file(READ ${path} hex HEX)
    file(READ ${path} text)
  endif()
  set(${hex_var} "${hex}" PARENT_SCOPE)
  set(${text_var} "${text}" PARENT_SCOPE)
endfunction()
read_bytes(${WORK}.out out_hex out)
read_bytes(${WORK}.err err_hex err)
read_bytes("${OUT}" expected_out_hex expected_out)
read_bytes("${ERR}" expected_err_hex expected_err)

set(failed FALSE)
if(WRITTEN)
  read_bytes(${WORK}.written written_hex written)
  read_bytes(${WRITTEN} expected_written_hex expected_written)
  if(NOT written_hex STREQUAL expected_written_hex)
    message(SEND_ERROR "arguments [${ARGS}]: the file written\n[${written}]\nexpected\n[${expected_written}]")
    set(failed TRUE)
  endif()
endif()
if(NOT status STREQUAL STATUS)
  message(SEND_ERROR "arguments [${ARGS}]: exit status ${status}, expected ${STATUS}")
  set(failed TRUE)
endif()
if(NOT out_hex STREQUAL expected_out_hex)
  message(SEND_ERROR "arguments [${ARGS}]: standard output\n[${out}]\nexpected\n[${expected_out}]\nbytes ${out_hex}\nexpected ${expected_out_hex}")
  set(failed TRUE)
endif()
if(NOT err_hex STREQUAL expected_err_hex)
  message(SEND_ERROR "arguments [${ARGS}]: standard error\n[${err}]\nexpected\n[${expected_err}]\nbytes ${err_hex}\nexpected ${expected_err_hex}")
  set(failed TRUE)
endif()
if(NOT failed)
  message(STATUS "arguments [${ARGS}]: as expected")
endif()
