# The whole bench against a misbehaving stand-alone simulated kit: silent, answering
# wrongly, splitting and merging frames, bursting noise, losing results, gone.
quillmark_add_test(tst_faults LIBS quillmark_console quillmark_kitsim TIMEOUT 300)
target_compile_definitions(tst_faults PRIVATE KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>")
add_dependencies(tst_faults quillmark-kitsim)
