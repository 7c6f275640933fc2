# Killing the program in the middle of its writes: the settings files, the report
# file and the final report's copies must each be left old or new, never cut off.

# Writes all of them in a loop until it is killed; run again and again by
# tst_crashsafety, on an ordinary disk and on a tiny tmpfs that fills up.
add_executable(crash_writer crash_writer.cpp crashround.h)
target_link_libraries(crash_writer PRIVATE quillmark_record quillmark_reports_core quillmark_platform quillmark_warnings)

quillmark_add_test(tst_crashsafety LIBS quillmark_record quillmark_reports_core TIMEOUT 600 SOURCES crashround.h)
target_compile_definitions(tst_crashsafety PRIVATE QUILLMARK_CRASH_WRITER="$<TARGET_FILE:crash_writer>")
add_dependencies(tst_crashsafety crash_writer)
