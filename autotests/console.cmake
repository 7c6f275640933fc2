# Console and bench record: settings files, relay catalogue, start-up of the main
# window, and the one-step file save they rely on.

quillmark_add_test(tst_configfiles LIBS quillmark_record)
quillmark_add_test(tst_catalogue LIBS quillmark_record)

# Fills a tiny tmpfs and saves onto it; run by tst_atomicfile inside a private
# mount namespace.
add_executable(fulldisk_writer fulldisk_writer.cpp)
target_link_libraries(fulldisk_writer PRIVATE quillmark_platform Qt6::Test quillmark_warnings)

quillmark_add_test(tst_atomicfile LIBS quillmark_platform)
target_compile_definitions(tst_atomicfile PRIVATE QUILLMARK_FULLDISK_WRITER="$<TARGET_FILE:fulldisk_writer>")
add_dependencies(tst_atomicfile fulldisk_writer)

quillmark_add_test(tst_startup LIBS quillmark_console)
# Started as a program of its own to be sent stop signals.
target_compile_definitions(tst_startup PRIVATE QUILLMARK_PROGRAM="$<TARGET_FILE:quillmark>")
add_dependencies(tst_startup quillmark)
quillmark_add_test(tst_options LIBS quillmark_console)
