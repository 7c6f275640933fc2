# Every procedure of the bench against the simulated kit in the same process.
quillmark_add_test(tst_procedures LIBS quillmark_console quillmark_kitsim)
# The Bench Monitor: its trace, the progress of a run, its Stop.
quillmark_add_test(tst_monitor LIBS quillmark_console quillmark_kitsim)
