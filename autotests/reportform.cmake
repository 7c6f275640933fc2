# The report entry form and the "Generate Report" hand-over that opens it.

quillmark_add_test(tst_reportform LIBS quillmark_reportform)
quillmark_add_test(tst_reportdispatch LIBS quillmark_reportdispatch)
