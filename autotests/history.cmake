# The results history against SQLite and a throw-away PostgreSQL server: import,
# the form's records, an outage in the middle of a batch, two benches at once,
# export, the history window, the printable report and the scripts; the window's
# work while the bench polls the kit over a pseudo-terminal, a server that stops
# answering, a full disk, and file dialogs over special files.

# One of two benches recording into one history at the same time.
add_executable(history_appender history_appender.cpp)
target_link_libraries(history_appender PRIVATE quillmark_history quillmark_warnings)

find_package(Qt6 REQUIRED COMPONENTS Network)  # a listener that never answers
quillmark_add_test(tst_history LIBS quillmark_historywindow quillmark_reportform quillmark_console Qt6::Network
  SOURCES pgserver.h privatetmpfs.h ptybench.h TIMEOUT 600)
target_compile_definitions(tst_history PRIVATE QUILLMARK_PROGRAM="$<TARGET_FILE:quillmark>"
  HISTORY_APPENDER="$<TARGET_FILE:history_appender>" KITSIM_PROGRAM="$<TARGET_FILE:quillmark-kitsim>"
  QUILLMARK_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
add_dependencies(tst_history quillmark history_appender quillmark-kitsim)
