# Routine test reports: the number text of a record, the report file, and the
# final report's copies.

quillmark_add_test(tst_recordnumber LIBS quillmark_reports_core)
quillmark_add_test(tst_finalreport LIBS quillmark_reports_core)

# Appends onto a full tiny tmpfs; run by tst_reportfile inside a private mount
# namespace.
add_executable(fulldisk_appender fulldisk_appender.cpp)
target_link_libraries(fulldisk_appender PRIVATE quillmark_reports_core Qt6::Test quillmark_warnings)

quillmark_add_test(tst_reportfile LIBS quillmark_reports_core)
target_compile_definitions(tst_reportfile PRIVATE QUILLMARK_FULLDISK_APPENDER="$<TARGET_FILE:fulldisk_appender>")
add_dependencies(tst_reportfile fulldisk_appender)
