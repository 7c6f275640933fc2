# cmake -DPROGRAMS=<program>|<program>... -P benchhelp.cmake
# Each program answers --help with its usage and its --smoke, at once (it runs
# nothing) and with no display.
string(REPLACE "|" ";" programs "${PROGRAMS}")
foreach(variable DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM)
  unset(ENV{${variable}})
endforeach()
foreach(program IN LISTS programs)
  execute_process(COMMAND ${program} --help OUTPUT_VARIABLE said ERROR_VARIABLE complained RESULT_VARIABLE result
                  TIMEOUT 10)
  if(NOT result STREQUAL "0" OR NOT said MATCHES "^Usage: " OR NOT said MATCHES "--smoke")
    message(FATAL_ERROR "${program} --help: ${result}\n${said}${complained}")
  endif()
endforeach()
list(LENGTH programs answered)
message(STATUS "${answered} programs answer --help")
