# the simulated kit
quillmark_add_test(tst_kitsim LIBS quillmark_kitsim)
# One test drives the stand-alone kit through a pseudo-terminal.
target_compile_definitions(tst_kitsim PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>")
add_dependencies(tst_kitsim quillmark-kitsim)
