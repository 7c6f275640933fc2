# Console and bench record: settings files, relay catalogue, start-up of the main
# window, and the one-step file save they rely on.

quillmark_add_test(tst_atomicfile LIBS quillmark_platform)

quillmark_add_test(tst_console LIBS quillmark_console)
# Started as a program of its own to be sent stop signals.
target_compile_definitions(tst_console PRIVATE QUILLMARK_PROGRAM="$<TARGET_FILE:quillmark>")
add_dependencies(tst_console quillmark)
# The command line of the quillmark program, with no display.
quillmark_add_test(tst_commandline LIBS Qt6::Core)
target_compile_definitions(tst_commandline PRIVATE QUILLMARK_PROGRAM="$<TARGET_FILE:quillmark>")
add_dependencies(tst_commandline quillmark)
# tools/bench-setup: the demonstration folder it prepares and its test run's summary.
quillmark_add_test(tst_benchsetup LIBS quillmark_record quillmark_reports_core)
target_compile_definitions(tst_benchsetup PRIVATE QUILLMARK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
