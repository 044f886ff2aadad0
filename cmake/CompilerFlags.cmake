# Flags shared by every target of both builds.
include(CheckCXXCompilerFlag)

add_compile_options(-Wall -Wextra)

# Sources are UTF-8; string literals become code page 932 bytes, exactly what the ANSI calls and the
# registry take. GCC converts them; Clang (up to at least 14) only knows UTF-8 and refuses the flag.
# Without it every Japanese text would be silently wrong, so only the fuzz tree (no program, no
# tests) may go on: it keeps Japanese literals in UTF-8 and still runs every code path.
check_cxx_compiler_flag(-fexec-charset=CP932 QUELLMARK_HAVE_EXEC_CHARSET_CP932)
if(QUELLMARK_HAVE_EXEC_CHARSET_CP932)
  add_compile_options(-fexec-charset=CP932)
elseif(QUELLMARK_FUZZ AND NOT QUELLMARK_TESTS AND NOT WIN32)
  message(WARNING "${CMAKE_CXX_COMPILER_ID} has no -fexec-charset=CP932: Japanese literals stay UTF-8 in this fuzz tree")
else()
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} (${CMAKE_CXX_COMPILER_ID}) has no -fexec-charset=CP932, so the "
    "program's Japanese texts would not be code page 932. Build with GCC (g++, or mingw-w64 for Windows); "
    "only the fuzz tree (QUELLMARK_FUZZ=ON, QUELLMARK_TESTS=OFF) builds without it.")
endif()

if(WIN32)
  # Win32 ANSI API; libgcc and libstdc++ linked in, so the .exe needs only DLLs that Windows ships.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0500 WINVER=0x0500)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The processor floor of the toolchain file.
  foreach(flag IN LISTS QUELLMARK_FLOOR_FLAGS)
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:${flag}>)
  endforeach()
  add_link_options(${QUELLMARK_FLOOR_FLAGS})
  if(QUELLMARK_PROGRAM)
    # The program's trees (presets win and release) compile every library once, as the shipped
    # program needs it, and everything else in them (GUI test helpers, benchmarks) the same way:
    # small code, unused functions dropped, symbols stripped in Release, and link-time optimisation
    # (about 18 KB less), which a target that links link-time-optimised libraries must share. The
    # program runs on one thread, so its function-local statics need no lock around their
    # initialisation (about 2 KB less). The unit tests' tree (win-tests) keeps its -O2.
    add_compile_options(-Os -ffunction-sections -fdata-sections -fno-threadsafe-statics)
    add_link_options(-Os -Wl,--gc-sections $<$<CONFIG:Release>:-s>)
    include(CheckIPOSupported)
    check_ipo_supported(RESULT QUELLMARK_LTO LANGUAGES C CXX)
    if(QUELLMARK_LTO)
      set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
      # One partition: mingw-w64's GCC 12 crashes (internal compiler error in binds_to_current_def_p)
      # on some layouts of this program when link-time optimisation splits it into partitions.
      add_link_options(-flto-partition=one)
    endif()
  endif()
endif()

if(QUELLMARK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
