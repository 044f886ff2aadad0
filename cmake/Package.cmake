# The release archive quellmark-<version>-win32.zip: quellmark.exe, and the user's guide and the
# licence as text files in code page 932 with CR LF, which Notepad on Japanese Windows opens as they
# are. With a SHA-256 file beside it. The same commit gives the same bytes: see
# CPackProjectConfig.cmake.in.
if(NOT WIN32 OR NOT TARGET quellmark)
  message(FATAL_ERROR "QUELLMARK_PACKAGE needs the Windows build of quellmark.exe (the preset \"release\")")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The guide, docs/guide-ja.md, as the archive's text file.
set(QUELLMARK_GUIDE_SOURCE ${PROJECT_SOURCE_DIR}/docs/guide-ja.md)
set(QUELLMARK_GUIDE_TEXT ${PROJECT_BINARY_DIR}/package/readme.txt)
add_custom_command(OUTPUT ${QUELLMARK_GUIDE_TEXT}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/guide_to_text.py
    --version ${PROJECT_VERSION} ${QUELLMARK_GUIDE_SOURCE} ${QUELLMARK_GUIDE_TEXT}
  DEPENDS ${QUELLMARK_GUIDE_SOURCE} ${CMAKE_CURRENT_LIST_DIR}/guide_to_text.py
  COMMENT "The guide as code page 932 text: readme.txt"
  VERBATIM)
add_custom_target(guide_text ALL DEPENDS ${QUELLMARK_GUIDE_TEXT})

# The licence (ASCII) beside it, with CR LF.
set(QUELLMARK_LICENSE_TEXT ${PROJECT_BINARY_DIR}/package/license.txt)
add_custom_command(OUTPUT ${QUELLMARK_LICENSE_TEXT}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/guide_to_text.py
    --plain ${PROJECT_SOURCE_DIR}/LICENSE ${QUELLMARK_LICENSE_TEXT}
  DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_CURRENT_LIST_DIR}/guide_to_text.py
  COMMENT "The licence as text: license.txt"
  VERBATIM)
add_custom_target(license_text ALL DEPENDS ${QUELLMARK_LICENSE_TEXT})

# This tree builds what ships and nothing else: every other target of the sources stays out of "all".
function(quellmark_keep_out_of_all directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    if(NOT target MATCHES "^(quellmark|guide_text|license_text)$")
      set_property(TARGET ${target} PROPERTY EXCLUDE_FROM_ALL ON)
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    quellmark_keep_out_of_all(${subdirectory})
  endforeach()
endfunction()
quellmark_keep_out_of_all(${PROJECT_SOURCE_DIR})

# One component, so that CPack adds the files in a fixed (sorted) order; without components it takes
# them in the order the file system lists the staging directory.
install(TARGETS quellmark RUNTIME DESTINATION . COMPONENT release)
install(FILES ${QUELLMARK_GUIDE_TEXT} ${QUELLMARK_LICENSE_TEXT} DESTINATION . COMPONENT release)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quellmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME quellmark-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
# The files at the archive's top: Explorer's "extract all" makes the folder itself.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProjectConfig.cmake.in ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake)
include(CPack)
