# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELLITON_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELLITON_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLITON_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PELLITON_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELLITON_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: only system DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
