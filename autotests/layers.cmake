# The layers kept apart by the compiler: each probe is one include made from a
# library's point of view. Those reaching upward must fail to compile for want of the
# header, the last, reaching down, must compile (so the failures are the layers', not
# a broken probe). The probes are built on demand by the check, never by the build.
set(layer_probes
  "record|quillmark_record|kitlink/kitlink.h"
  "platform|quillmark_platform|platform/prompts.h"
  "kitlink|quillmark_kitlink|tests/procedures.h"
  "kitlink-window|quillmark_kitlink|console/window/frmmain.h"
  "reportfile|quillmark_reports_core|reports/reportform.h"
  "procedures|quillmark_procedures|console/window/frmmain.h"
  "down|quillmark_kitlink|console/record/benchrecord.h")
set(probe_names)
foreach(probe IN LISTS layer_probes)
  string(REPLACE "|" ";" parts "${probe}")
  list(GET parts 0 name)
  list(GET parts 1 library)
  list(GET parts 2 header)
  add_library(layerprobe_${name} OBJECT EXCLUDE_FROM_ALL layerprobe.cpp)
  target_link_libraries(layerprobe_${name} PRIVATE ${library})
  target_compile_definitions(layerprobe_${name} PRIVATE PROBE_HEADER="${header}")
  list(APPEND probe_names "${name}|${header}")
endforeach()
add_test(NAME layers_keep_apart
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} "-DPROBES=${probe_names}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/layercheck.cmake)
# It runs the build tool in the build tree, which nothing else may do meanwhile.
set_tests_properties(layers_keep_apart PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
