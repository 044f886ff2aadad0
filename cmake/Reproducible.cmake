# What makes quellmark.exe the same bytes from the same commit, wherever it is built, and the one
# version number that the version resource, the archive's name and the guide take.

# The version resource has four numbers; project() may give three (1.0.0 is 1.0.0.0).
foreach(part MAJOR MINOR PATCH TWEAK)
  set(QUELLMARK_VERSION_${part} "${PROJECT_VERSION_${part}}")
  if(QUELLMARK_VERSION_${part} STREQUAL "")
    set(QUELLMARK_VERSION_${part} 0)
  endif()
endforeach()
set(QUELLMARK_VERSION_FOUR
  "${QUELLMARK_VERSION_MAJOR}.${QUELLMARK_VERSION_MINOR}.${QUELLMARK_VERSION_PATCH}.${QUELLMARK_VERSION_TWEAK}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/QuellmarkVersion.h.in ${PROJECT_BINARY_DIR}/version/QuellmarkVersion.h @ONLY)
include_directories($<$<COMPILE_LANGUAGE:RC>:${PROJECT_BINARY_DIR}/version>)

if(WIN32)
  # No link time in the PE header, and no build directories in what the compiler records (file
  # names of assertions and debug information): the source tree reads as ".", the build tree as "build".
  add_link_options(-Wl,--no-insert-timestamp)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
endif()
