quillmark_add_test(tst_wireformat LIBS quillmark_kitlink)
# The link on a scripted line. One check times a real one-second wait and its CPU,
# so the program runs alone.
quillmark_add_test(tst_kitlink LIBS quillmark_kitlink)
set_tests_properties(tst_kitlink PROPERTIES RUN_SERIAL TRUE)
# The kit log and its window, over the whole bench against the simulated kit.
quillmark_add_test(tst_kitlog LIBS quillmark_console quillmark_kitsim TIMEOUT 300)
# The serial port on a pseudo-terminal held by another program.
quillmark_add_test(tst_serialport LIBS quillmark_kitlink quillmark_record)
target_compile_definitions(tst_serialport PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>"
                                                  QUILLMARK_PROGRAM="$<TARGET_FILE:quillmark>")
add_dependencies(tst_serialport quillmark-kitsim quillmark)
