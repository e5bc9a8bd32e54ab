# What every program's command line promises, checked on the program as it is built:
# -h and --help print the usage on stdout, --version "NAME VERSION", both with exit 0 and
# nothing on stderr; an unknown option is one line on stderr, then where help is, exit 2.
# usage: cmake -DPROGRAM=PATH -DNAME=NAME -DVERSION=X.Y.Z -P command_line_check.cmake
set(problems "")

# Runs the program with the arguments after the expected exit code, stdout and stderr, and
# notes it when they differ.
function(check want_rc want_out want_err)
  execute_process(COMMAND ${PROGRAM} ${ARGN} TIMEOUT 20
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc STREQUAL want_rc OR NOT out STREQUAL want_out OR NOT err STREQUAL want_err)
    string(APPEND problems "${NAME} ${ARGN}: exit ${rc} (wanted ${want_rc})\n"
           "stdout:\n${out}\nstderr:\n${err}\n"
           "wanted stdout:\n${want_out}\nwanted stderr:\n${want_err}\n")
    set(problems "${problems}" PARENT_SCOPE)
  endif()
endfunction()

execute_process(COMMAND ${PROGRAM} --help TIMEOUT 20 OUTPUT_VARIABLE usage ERROR_QUIET)
string(FIND "${usage}" "usage: ${NAME}" at)
if(NOT at EQUAL 0)
  set(problems "${NAME} --help does not begin with \"usage: ${NAME}\":\n${usage}\n")
endif()
check(0 "${usage}" "" --help)
check(0 "${usage}" "" -h)
check(0 "${NAME} ${VERSION}\n" "" --version)
check(2 "" "${NAME}: unknown option --bogus\nTry '${NAME} --help'.\n" --bogus)

if(NOT problems STREQUAL "")
  message(FATAL_ERROR "${problems}")
endif()
