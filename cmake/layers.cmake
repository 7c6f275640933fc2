# The bench's layers are libraries, and the compiler keeps them apart: a library
# sees its own headers and those of the libraries it links, and nothing above. Its
# include folder in the build tree holds links to exactly its own headers, under
# their names from src/ ("kitlink/pollcycle.h"); a library that links it gets that
# folder too. So a header of a higher layer is not there to be found, and an include
# that points upward does not compile.
#
# Where the file system cannot link (a Windows account without the right to), the
# library sees src/ whole, as before: it builds the same, unguarded.

# quillmark_layer(<library>): the library's include folder, from the headers among
# its sources.
function(quillmark_layer target)
  set(folder "${PROJECT_BINARY_DIR}/layers/${target}")
  file(REMOVE_RECURSE "${folder}")
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(linked TRUE)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.h$")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}" OUTPUT_VARIABLE header)
    cmake_path(RELATIVE_PATH header BASE_DIRECTORY "${PROJECT_SOURCE_DIR}/src" OUTPUT_VARIABLE name)
    cmake_path(GET name PARENT_PATH subfolder)
    file(MAKE_DIRECTORY "${folder}/${subfolder}")
    file(CREATE_LINK "${header}" "${folder}/${name}" RESULT failed SYMBOLIC)
    if(failed)
      set(linked FALSE)
    endif()
  endforeach()
  if(linked)
    target_include_directories(${target} PUBLIC "${folder}")
  else()
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  endif()
endfunction()
