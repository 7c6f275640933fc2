# The kit left safe by a Stop and by every way the program ends, over a pseudo-terminal
# with the real serial port; the endings run this test again as a child program.
quillmark_add_test(tst_kitsafety LIBS quillmark_console quillmark_kitsim TIMEOUT 300)
target_compile_definitions(tst_kitsafety PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>")
add_dependencies(tst_kitsafety quillmark-kitsim)

# An answer belongs to the run that asked for it: a kit that answers late, twice or
# unasked, a Stop between a request and its answer, the automatic test at its boxes.
quillmark_add_test(tst_answers LIBS quillmark_console quillmark_kitsim TIMEOUT 900)
target_compile_definitions(tst_answers PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>")
add_dependencies(tst_answers quillmark-kitsim)
