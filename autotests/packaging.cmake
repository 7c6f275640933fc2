# The Debian package as cpack makes it from this build folder. A package is made from
# a plain build only, so the sanitized builds leave this out.
if(NOT QUILLMARK_SANITIZE)
  # The operator's hands for the package's demo, loaded into the installed program.
  add_library(quillmark_demo_drive MODULE demodrive.cpp)
  target_link_libraries(quillmark_demo_drive PRIVATE Qt6::Widgets quillmark_warnings)
  add_test(NAME packaging
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/packaging.sh ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}
            ${QUILLMARK_DESKTOP_ID} $<TARGET_FILE:quillmark_demo_drive>)
  set_tests_properties(packaging PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 900)
endif()
