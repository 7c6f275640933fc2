quillmark_add_test(tst_wireformat LIBS quillmark_kitlink)
quillmark_add_test(tst_kitlog LIBS quillmark_kitlog_ui)
quillmark_add_test(tst_pollcycle LIBS quillmark_kitlink)
quillmark_add_test(tst_receivehandler LIBS quillmark_kitlink)
quillmark_add_test(tst_portcheck LIBS quillmark_kitlink)
# The whole bench against the stand-alone simulated kit on a pseudo-terminal.
quillmark_add_test(tst_endtoend LIBS quillmark_console quillmark_kitsim TIMEOUT 180)
target_compile_definitions(tst_endtoend PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>")
add_dependencies(tst_endtoend quillmark-kitsim)
