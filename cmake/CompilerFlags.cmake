# Flags shared by every target of both builds.
include(CheckCXXCompilerFlag)

add_compile_options(-Wall -Wextra)

# Sources are UTF-8; string literals become code page 932 bytes, exactly what the ANSI calls and the
# registry take. GCC converts them; Clang (up to at least 14) only knows UTF-8 and refuses the flag,
# so a Clang tree (sanitizers, fuzzing) keeps Japanese literals in UTF-8: it still runs every code
# path, but byte-exact checks of such literals do not hold there.
check_cxx_compiler_flag(-fexec-charset=CP932 QUELLMARK_HAVE_EXEC_CHARSET_CP932)
if(QUELLMARK_HAVE_EXEC_CHARSET_CP932)
  add_compile_options(-fexec-charset=CP932)
else()
  message(WARNING "${CMAKE_CXX_COMPILER_ID} has no -fexec-charset=CP932: Japanese literals stay UTF-8 in this tree")
endif()

if(WIN32)
  # Win32 ANSI API; libgcc and libstdc++ linked in, so the .exe needs only DLLs that Windows ships.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0500 WINVER=0x0500)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(QUELLMARK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
