# Every procedure of the bench against the simulated kit in the same process.
quillmark_add_test(tst_procedures LIBS quillmark_console quillmark_kitsim)
