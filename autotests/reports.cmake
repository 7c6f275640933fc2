# Routine test reports: number text, report file, final report, report forms and
# the "Generate Report" hand-over.
quillmark_add_test(tst_reports LIBS quillmark_reportdispatch)
