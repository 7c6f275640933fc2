# The Debian package as cpack makes it from this build folder. A package is made from
# a plain build only, so the sanitized builds leave this out.
if(NOT QUILLMARK_SANITIZE)
  add_test(NAME packaging
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/packaging.sh ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}
            ${QUILLMARK_DESKTOP_ID})
  set_tests_properties(packaging PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 300)
endif()
