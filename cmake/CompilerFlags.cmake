# Flags shared by every target of both builds.
# Sources are UTF-8; string literals become code page 932 bytes, exactly what the ANSI calls and the
# registry take.
add_compile_options(-Wall -Wextra -fexec-charset=CP932)

if(WIN32)
  # Win32 ANSI API; libgcc and libstdc++ linked in, so the .exe needs only DLLs that Windows ships.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(QUELLMARK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
