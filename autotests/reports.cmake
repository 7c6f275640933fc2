# Routine test reports: number text, report file, final report, report forms and
# the "Generate Report" hand-over.
quillmark_add_test(tst_reports LIBS quillmark_reportdispatch)
target_compile_definitions(tst_reports PRIVATE QUILLMARK_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
