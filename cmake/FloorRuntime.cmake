# quellmark.exe runs on every processor its Windows ran on, down to the 486 that Windows 98 still
# installs on. The compiler is told so (-march in the toolchain file), but the prebuilt runtime that
# the mingw-w64 toolchain links in is compiled for the Pentium Pro and holds its CMOV instructions.
# So the parts of it that reach the program are compiled again here, from GCC's own source as the
# distribution ships it (the package gcc-12-source), with GCC's own flags, our floor and -Os:
#
#   member                   archive      linked for                               why rebuilt
#   unwind-dw2, -dw2-fde     libgcc_eh    throwing and catching (the unwinder)     CMOV
#   unwind-c                 libgcc_eh    the personality for C frames             CMOV
#   emutls                   libgcc_eh    thread_local (the exception globals)     CMOV
#   eh_alloc, eh_catch,      libstdc++    throwing, catching, std::terminate,      CMOV
#   eh_personality, eh_ptr,               exception_ptr, operator new
#   eh_terminate, new_op
#
# std::string's members come from the program's own explicit instantiation (src/app/LeanRuntime.cpp),
# so libstdc++'s string-inst.o is not linked at all. The start-up code (crt2.o and what it pulls from
# libmingw32: pesect, pseudo-reloc) is replaced by the program's own, src/app/Startup.cpp, whose
# object the compiler driver finds under the name crt2.o in a directory given with -B. Everything
# else that is linked holds no instruction past the floor, which the instruction test checks
# (tests/gui/test_exe_file.py, on the program and on the release).
#
# The objects are linked whole, after the program's own code and before the toolchain's archives,
# so that the linker takes them and never the archives' members. Linked
# before the program's code, ld would meet a member of exception_ptr twice (the link-time optimised
# copy against the COMDAT one).
#
# The rebuild is the same runtime: built once more with the toolchain's default flags, every member
# equals the prebuilt one in the bytes and relocations of its loaded sections (cmake/runtime_fidelity.py
# compares them). The source package must be of the GCC release the cross compiler was built from
# (12.2.0); another release stops the configuration. Another Debian revision of it is taken as long
# as the comparison holds: a release tree whose rebuilt runtime differs stops its configuration,
# naming the member; the win tree's exe-file test reports the same.
#
# The sources are unpacked, and the members compiled, at configure time and once for every tree
# that uses the same runtime directory (QUELLMARK_FLOOR_RUNTIME_DIR): by default the build root's,
# so that the win and release trees of scripts/test.sh share one; again only when what they are
# built from changes.

if(NOT QUELLMARK_FLOOR_FLAGS)
  message(FATAL_ERROR "No processor floor: QUELLMARK_FLOOR_FLAGS comes from cmake/toolchain-mingw-i686.cmake")
endif()

# GCC's source as the distribution ships it, of the GCC release the cross compiler was built from:
# the compiler's package records its source (Built-Using: gcc-12 (= <version>)). The upstream
# versions must agree (12.2.0); the Debian revisions may not, since Debian updates gcc-12 and its
# source package before it rebuilds mingw-w64 against them. The fidelity test guards what the
# revision may change: the members rebuilt with the toolchain's default flags must still equal the
# prebuilt ones (cmake/runtime_fidelity.py). Sets <prefix>_TARBALL, <prefix>_TOP (the tarball's
# top directory), <prefix>_SOURCE ("gcc-12-source <version>"), <prefix>_COMPILER ("gcc-12
# <version>", the compiler's record) and <prefix>_COMPILER_PACKAGE (its package and version).
function(quellmark_find_gcc_source prefix)
  file(REAL_PATH "${CMAKE_C_COMPILER}" compiler)
  execute_process(COMMAND dpkg-query -S "${compiler}" OUTPUT_VARIABLE owner ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE ":.*" "" owner "${owner}")
  execute_process(COMMAND dpkg-query -W "-f=\${Built-Using}" "${owner}" OUTPUT_VARIABLE built_using ERROR_QUIET)
  if(NOT built_using MATCHES "(gcc-[0-9]+) \\(= ([^)]+)\\)")
    message(FATAL_ERROR "Cannot tell which GCC source the compiler ${compiler} was built from (its Debian package "
      "'${owner}' names none). quellmark.exe needs parts of the compiler's runtime compiled again for the 486 "
      "from that source (cmake/FloorRuntime.cmake): build on Debian 12 with the distribution's mingw-w64.")
  endif()
  set(gcc ${CMAKE_MATCH_1})
  set(built_from ${CMAKE_MATCH_2})
  execute_process(COMMAND dpkg-query -W "-f=\${Version}" ${gcc}-source OUTPUT_VARIABLE source_version ERROR_QUIET)
  # A Debian version is [epoch:]upstream[-revision].
  foreach(version built_from source_version)
    string(REGEX REPLACE "^[0-9]+:" "" ${version}_upstream "${${version}}")
    string(REGEX REPLACE "-[^-]*$" "" ${version}_upstream "${${version}_upstream}")
  endforeach()
  if(source_version STREQUAL "")
    set(problem "${gcc}-source is not installed")
  elseif(NOT source_version_upstream STREQUAL built_from_upstream)
    set(problem "${gcc}-source is ${source_version}, the source of GCC ${source_version_upstream}")
  else()
    file(GLOB tarballs /usr/src/${gcc}/gcc-${built_from_upstream}*.tar.xz)
    if(NOT tarballs)
      set(problem "${gcc}-source ${source_version} holds no /usr/src/${gcc}/gcc-${built_from_upstream}*.tar.xz")
    endif()
  endif()
  if(DEFINED problem)
    message(FATAL_ERROR "quellmark.exe needs parts of the compiler's runtime compiled again for the 486 "
      "(cmake/FloorRuntime.cmake) from the source of the GCC release that the cross compiler was built from. "
      "The compiler (package ${owner}) was built from ${gcc} ${built_from}, GCC ${built_from_upstream}, but ${problem}. "
      "Install ${gcc}-source of GCC ${built_from_upstream} (any Debian revision), or a mingw-w64 built from "
      "the installed one (scripts/test.sh, run.sh and release.sh install ${gcc}-source).")
  endif()
  if(NOT source_version STREQUAL built_from)
    message(STATUS "${gcc}-source ${source_version} is another Debian revision of GCC ${built_from_upstream} than the "
      "compiler's ${built_from}: the runtime fidelity comparison (the release's configuration, the win tree's "
      "exe_imports_and_resources) checks that it still builds the prebuilt runtime")
  endif()
  execute_process(COMMAND dpkg-query -W "-f=\${Version}" "${owner}" OUTPUT_VARIABLE compiler_version ERROR_QUIET)
  list(GET tarballs 0 tarball)
  set(${prefix}_TARBALL "${tarball}" PARENT_SCOPE)
  set(${prefix}_TOP gcc-${built_from_upstream} PARENT_SCOPE)
  set(${prefix}_SOURCE "${gcc}-source ${source_version}" PARENT_SCOPE)
  set(${prefix}_COMPILER "${gcc} ${built_from}" PARENT_SCOPE)
  set(${prefix}_COMPILER_PACKAGE "${owner} ${compiler_version}" PARENT_SCOPE)
endfunction()

# The runtime sources: the members of the table above and the headers they include.
set(QUELLMARK_RUNTIME_C_SOURCES libgcc/unwind-dw2.c libgcc/unwind-dw2-fde.c libgcc/unwind-c.c libgcc/emutls.c)
set(QUELLMARK_RUNTIME_CXX_SOURCES libstdc++-v3/libsupc++/eh_alloc.cc libstdc++-v3/libsupc++/eh_catch.cc
  libstdc++-v3/libsupc++/eh_personality.cc libstdc++-v3/libsupc++/eh_ptr.cc libstdc++-v3/libsupc++/eh_terminate.cc
  libstdc++-v3/libsupc++/new_op.cc)
set(QUELLMARK_RUNTIME_HEADERS gcc/coretypes.h gcc/tsystem.h include/ansidecl.h include/dwarf2.def include/dwarf2.h
  include/filenames.h include/hashtab.h libgcc/config/i386/gthr-win32.h libgcc/config/i386/w32-unwind.h libgcc/gthr.h
  libgcc/unwind-dw2-fde.h libgcc/unwind-dw2.h libgcc/unwind-generic.h libgcc/unwind-pe.h libgcc/unwind.inc
  libstdc++-v3/libsupc++/cxxabi.h libstdc++-v3/libsupc++/eh_atomics.h libstdc++-v3/libsupc++/eh_term_handler.h
  libstdc++-v3/libsupc++/exception libstdc++-v3/libsupc++/new libstdc++-v3/libsupc++/typeinfo
  libstdc++-v3/libsupc++/unwind-cxx.h)

# The functions below read the source package's facts as quellmark_find_gcc_source(gcc) sets them in
# the scope of quellmark_link_for_the_floor.

# quellmark_floor_runtime_dir(<variable>): the runtime's directory, QUELLMARK_FLOOR_RUNTIME_DIR. By
# default the build root's when this tree is in one (the directory that scripts/test.sh and
# release.sh mark), which its trees share, else the tree's own.
function(quellmark_floor_runtime_dir out)
  get_filename_component(root ${PROJECT_BINARY_DIR} DIRECTORY)
  set(dir ${PROJECT_BINARY_DIR}/floor-runtime)
  if(EXISTS ${root}/.quellmark-build-root)
    set(dir ${root}/floor-runtime)
  endif()
  set(QUELLMARK_FLOOR_RUNTIME_DIR ${dir} CACHE PATH "Where the runtime's sources are unpacked and its members built \
(cmake/FloorRuntime.cmake): the trees that name the same directory share them")
  set(${out} ${QUELLMARK_FLOOR_RUNTIME_DIR} PARENT_SCOPE)
endfunction()

# The sources into <dir>/src, unpacked again when the source package or the list changes.
function(quellmark_unpack_runtime_sources dir)
  set(source_dir ${dir}/src)
  set(wanted ${gcc_SOURCE} ${QUELLMARK_RUNTIME_C_SOURCES} ${QUELLMARK_RUNTIME_CXX_SOURCES} ${QUELLMARK_RUNTIME_HEADERS})
  set(stamp ${source_dir}/.unpacked)
  if(EXISTS ${stamp})
    file(READ ${stamp} unpacked)
    if(unpacked STREQUAL "${wanted}")
      return()
    endif()
  endif()
  file(REMOVE_RECURSE ${source_dir})
  file(MAKE_DIRECTORY ${source_dir})
  set(members)
  foreach(path IN LISTS QUELLMARK_RUNTIME_C_SOURCES QUELLMARK_RUNTIME_CXX_SOURCES QUELLMARK_RUNTIME_HEADERS)
    list(APPEND members ${gcc_TOP}/${path})
  endforeach()
  message(STATUS "Unpacking the runtime's sources from ${gcc_TARBALL}")
  execute_process(COMMAND tar -xJf ${gcc_TARBALL} -C ${source_dir} --strip-components=1 ${members}
    RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "Unpacking ${gcc_TARBALL} failed: ${error}")
  endif()
  file(WRITE ${stamp} "${wanted}")
endfunction()

# quellmark_runtime_members(<dir> <kind> <machine flags...>): the members compiled from <dir>/src into
# <dir>/<kind> with GCC's own flags and the given machine flags, all at once, and again only when the
# compiler, the commands, the sources or the configuration headers change. The commands name paths
# inside <dir> relative to it, so a copy of <dir> holds members that are current. libgcc: its
# LIB2ADDEH rule (libgcc/Makefile.in, static-object.mk) with the configuration a cross build for
# i686-w64-mingw32 generates, in the small headers of cmake/floor-runtime. libsupc++: its libtool
# compile (libstdc++-v3/libsupc++/Makefile.in) for the static library.
function(quellmark_runtime_members dir kind)
  set(machine_flags ${ARGN})
  set(config_dir ${PROJECT_SOURCE_DIR}/cmake/floor-runtime)
  # Their warning options are left out (-w): GCC's own code, and they change no byte of it.
  set(libgcc_flags -g -O2 -DIN_GCC -DCROSS_DIRECTORY_STRUCTURE -DIN_LIBGCC2 -fbuilding-libgcc -fno-stack-protector
    -I${config_dir} -Isrc/libgcc -Isrc/gcc -Isrc/include -fexceptions)
  set(libsupcxx_flags -Isrc/libgcc -Isrc/libstdc++-v3/libsupc++ -fno-implicit-templates
    -ffunction-sections -fdata-sections -g -O2 -D_GNU_SOURCE)
  file(READ ${dir}/src/.unpacked wanted)
  set(stamp_text "${gcc_COMPILER_PACKAGE}\n${wanted}\n")
  file(GLOB config_headers ${config_dir}/*.h)
  foreach(header IN LISTS config_headers)
    file(SHA256 ${header} hash)
    string(APPEND stamp_text "${header} ${hash}\n")
  endforeach()
  set(commands)
  foreach(source IN LISTS QUELLMARK_RUNTIME_C_SOURCES QUELLMARK_RUNTIME_CXX_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    if(source MATCHES "\\.c$")
      set(command ${CMAKE_C_COMPILER} ${libgcc_flags} ${machine_flags} -w)
    else()
      set(command ${CMAKE_CXX_COMPILER} ${libsupcxx_flags} -frandom-seed=${name}.lo ${machine_flags} -w)
    endif()
    list(APPEND command -c src/${source} -o ${kind}/${name}.o)
    list(APPEND commands COMMAND ${command})
    string(APPEND stamp_text "${command}\n")
  endforeach()
  set(stamp ${dir}/${kind}/.built)
  if(EXISTS ${stamp})
    file(READ ${stamp} built)
    if(built STREQUAL stamp_text)
      return()
    endif()
  endif()
  file(REMOVE_RECURSE ${dir}/${kind})
  file(MAKE_DIRECTORY ${dir}/${kind})
  message(STATUS "Compiling the runtime's members into ${dir}/${kind}")
  # One execute_process with several commands runs them side by side.
  execute_process(${commands} WORKING_DIRECTORY ${dir} RESULTS_VARIABLE results ERROR_VARIABLE errors)
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "Compiling the runtime's members into ${dir}/${kind} failed: ${errors}")
    endif()
  endforeach()
  file(WRITE ${stamp} "${stamp_text}")
endfunction()

# quellmark_floor_runtime(<dir>): the runtime in <dir>, one tree at a time: its sources, the members
# for the floor in <dir>/floor and their archive (the objects' order is the table's), and the members
# with the toolchain's default flags in <dir>/default, which the fidelity comparison takes.
function(quellmark_floor_runtime dir)
  file(MAKE_DIRECTORY ${dir})
  file(LOCK ${dir}/.lock GUARD FUNCTION TIMEOUT 900)
  quellmark_unpack_runtime_sources(${dir})
  # Small code (-Os after GCC's -O2) as for the program: what is linked is ours to tune; the
  # fidelity comparison takes the same sources compiled with GCC's flags alone.
  quellmark_runtime_members(${dir} floor ${QUELLMARK_FLOOR_FLAGS} -Os)
  quellmark_runtime_members(${dir} default)
  set(archive ${dir}/libquellmark_floor_runtime.a)
  if(NOT EXISTS ${archive} OR ${dir}/floor/.built IS_NEWER_THAN ${archive})
    set(objects)
    foreach(source IN LISTS QUELLMARK_RUNTIME_C_SOURCES QUELLMARK_RUNTIME_CXX_SOURCES)
      get_filename_component(name ${source} NAME_WE)
      list(APPEND objects floor/${name}.o)
    endforeach()
    file(REMOVE ${archive})
    execute_process(COMMAND ${CMAKE_AR} qc ${archive} ${objects} WORKING_DIRECTORY ${dir} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Archiving the runtime's members into ${archive} failed")
    endif()
  endif()
endfunction()

# quellmark_runtime_fidelity(<dir> <manifest>): the manifest of the fidelity comparison
# (cmake/runtime_fidelity.py): a first line naming the source package and the compiler's record of
# its own source, then per line a member of <dir>/default and the prebuilt archive and member it must
# equal. A release tree compares them here, and a difference stops its configuration, naming the
# member: nothing is shipped that was built from other sources than the distribution's objects.
function(quellmark_runtime_fidelity dir manifest)
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=libgcc_eh.a OUTPUT_VARIABLE libgcc_eh
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++.a OUTPUT_VARIABLE libstdcxx
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(lines "# rebuilt from ${gcc_SOURCE}; the compiler was built from ${gcc_COMPILER}\n")
  foreach(source IN LISTS QUELLMARK_RUNTIME_C_SOURCES QUELLMARK_RUNTIME_CXX_SOURCES)
    get_filename_component(member ${source} NAME_WE)
    set(archive ${libstdcxx})
    if(source MATCHES "^libgcc/")
      set(archive ${libgcc_eh})
    endif()
    string(APPEND lines "${dir}/default/${member}.o ${archive} ${member}.o\n")
  endforeach()
  file(WRITE ${manifest} "${lines}")
  if(QUELLMARK_PACKAGE)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/runtime_fidelity.py ${manifest}
      RESULT_VARIABLE failed OUTPUT_VARIABLE report ERROR_VARIABLE report)
    if(failed)
      message(FATAL_ERROR "The runtime rebuilt for the 486 from ${gcc_SOURCE} is not the runtime that the "
        "toolchain ships (its compiler was built from ${gcc_COMPILER}); the release stops here.\n${report}"
        "Install gcc-12-source of the compiler's own revision, or a mingw-w64 built from the installed one.")
    endif()
  endif()
endfunction()

# quellmark_link_for_the_floor(<executable> <startup object library>): the program's own start-up
# and the rebuilt runtime members in place of the prebuilt ones, and a link map beside the program
# for the instruction test.
function(quellmark_link_for_the_floor target startup)
  quellmark_find_gcc_source(gcc)
  quellmark_floor_runtime_dir(dir)
  quellmark_floor_runtime(${dir})
  quellmark_runtime_fidelity(${dir} ${PROJECT_BINARY_DIR}/floor-runtime/fidelity.txt)

  # The driver takes the first crt2.o on its -B path.
  set(startup_dir ${PROJECT_BINARY_DIR}/floor-runtime/startup)
  add_custom_command(OUTPUT ${startup_dir}/crt2.o
    COMMAND ${CMAKE_COMMAND} -E make_directory ${startup_dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_OBJECTS:${startup}> ${startup_dir}/crt2.o
    DEPENDS ${startup} $<TARGET_OBJECTS:${startup}>
    COMMENT "The program's start-up as crt2.o"
    VERBATIM)
  # One archive, linked whole after the program's code.
  set(archive ${dir}/libquellmark_floor_runtime.a)
  add_custom_target(${target}_floor_runtime DEPENDS ${startup_dir}/crt2.o)
  add_library(${target}_floor_runtime_archive STATIC IMPORTED)
  set_property(TARGET ${target}_floor_runtime_archive PROPERTY IMPORTED_LOCATION ${archive})
  add_dependencies(${target}_floor_runtime_archive ${target}_floor_runtime)
  target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}_floor_runtime_archive>")
  target_link_options(${target} PRIVATE -B${startup_dir}/
    # Data imported from a DLL without dllimport would need pseudo-relocations, which the start-up
    # does not apply: such a link fails instead.
    -Wl,--disable-auto-import -Wl,--disable-runtime-pseudo-reloc
    -Wl,-Map=$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${archive} ${startup_dir}/crt2.o)
  # The configuration headers build the members: a change configures the tree again.
  file(GLOB config_headers ${PROJECT_SOURCE_DIR}/cmake/floor-runtime/*.h)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${config_headers})
endfunction()
