quillmark_add_test(tst_wireformat LIBS quillmark_kitlink)
# The link on a scripted line, its waits counted in the ticks of its own timers.
quillmark_add_test(tst_kitlink LIBS quillmark_kitlink quillmark_platform_widgets)
# The kit log and its window, over the whole bench against the simulated kit.
quillmark_add_test(tst_kitlog LIBS quillmark_console quillmark_kitsim TIMEOUT 300)
# The serial port on a pseudo-terminal held by another program.
quillmark_add_test(tst_serialport LIBS quillmark_kitlink quillmark_record quillmark_ptyline)
target_compile_definitions(tst_serialport PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>"
                                                  QUILLMARK_PROGRAM="$<TARGET_FILE:quillmark>")
add_dependencies(tst_serialport quillmark-kitsim quillmark)
# The serial adapters window over pseudo-terminals standing in for USB adapters.
quillmark_add_test(tst_adapters LIBS quillmark_adapter_ui quillmark_ptyline)
