# Runs tavrin-cli --dry-run on "Hello" and compares its output with the expected frames.
execute_process(
  COMMAND ${CLI} --dry-run --id 01 send --page A Hello
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
set(expected "<ID01><BE>05<E>\n<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>\n<ID01><BF>06<E>\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected OR NOT err STREQUAL "")
  message(FATAL_ERROR "exit ${rc}\nstdout:\n${out}\nstderr:\n${err}\nexpected:\n${expected}")
endif()
