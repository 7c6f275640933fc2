# Contact resistance, the endurance sweep, contact delay and contact sequence on the
# whole bench against the simulated kit.
quillmark_add_test(tst_contactresistance LIBS quillmark_console quillmark_kitsim)
quillmark_add_test(tst_contacttiming LIBS quillmark_console quillmark_kitsim)
