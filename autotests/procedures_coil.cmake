# Coil resistance, pick-up and drop-away on the whole bench against the simulated kit.
quillmark_add_test(tst_coilresistance LIBS quillmark_console quillmark_kitsim)
quillmark_add_test(tst_pickupdropaway LIBS quillmark_console quillmark_kitsim)
