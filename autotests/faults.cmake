# The whole bench against the stand-alone simulated kit on a pseudo-terminal: healthy,
# or silent, answering wrongly, splitting and merging frames, losing results, gone.
quillmark_add_test(tst_serialbench LIBS quillmark_console quillmark_kitsim TIMEOUT 300)
target_compile_definitions(tst_serialbench PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>")
add_dependencies(tst_serialbench quillmark-kitsim)
