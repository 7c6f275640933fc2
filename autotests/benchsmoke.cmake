# The programs of bench/ kept running: each one's short smoke run, and its --help
# answered at once without a display. A benchmark that no longer runs fails the
# suite; its figures are never judged here (the machine running the suite is busy).
set(bench_programs quillmark-bench quillmark-history-bench quillmark-history-pty-bench quillmark-wirelog
    quillmark-screenshots quillmark-history-shot quillmark-oversize-bench)
set(bench_program_files "")
foreach(program IN LISTS bench_programs)
  add_test(NAME smoke_${program} COMMAND ${program} --smoke)
  set_tests_properties(smoke_${program} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/config/smoke_${program};XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/data/smoke_${program}"
    TIMEOUT 300)
  list(APPEND bench_program_files "$<TARGET_FILE:${program}>")
endforeach()
list(JOIN bench_program_files "|" bench_program_files)
add_test(NAME bench_programs_answer_help
  COMMAND ${CMAKE_COMMAND} "-DPROGRAMS=${bench_program_files}" -P ${CMAKE_CURRENT_SOURCE_DIR}/benchhelp.cmake)
set_tests_properties(bench_programs_answer_help PROPERTIES TIMEOUT 120)
