quillmark_add_test(tst_wireformat LIBS quillmark_kitlink)
# The link on a scripted line, its waits counted in the ticks of its own timers.
quillmark_add_test(tst_kitlink LIBS quillmark_kitlink)
