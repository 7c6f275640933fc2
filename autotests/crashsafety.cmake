# Killing the program in the middle of its writes, and filling its disk up: the
# settings files, the report file and the final report's copies must each be left
# old or new, never cut off, and the next start must clear away the rest.

# Does one round of those writes and kills itself at a chosen moment; it stands in
# for the C library's write, cut, rename and removal calls to count those moments.
add_executable(crash_writer crash_writer.cpp crashround.h)
target_link_libraries(crash_writer PRIVATE quillmark_record quillmark_reports_core quillmark_platform
  quillmark_warnings ${CMAKE_DL_LIBS})

quillmark_add_test(tst_crashsafety LIBS quillmark_record quillmark_reports_core SOURCES crashround.h privatetmpfs.h)
target_compile_definitions(tst_crashsafety PRIVATE QUILLMARK_CRASH_WRITER="$<TARGET_FILE:crash_writer>")
add_dependencies(tst_crashsafety crash_writer)
