# Cross-compiling for Windows x86_64 with mingw-w64 (posix thread model).
#
#   prefix=$(scripts/build-windows-deps.sh | tail -n1)
#   cmake -S . -B build-win -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
#         -DVLNT_WIN_DEPS="$prefix"
#
# VLNT_WIN_DEPS may also come from the environment variable of that name.
# Executables are linked fully statically (no libstdc++/libgcc/winpthread
# DLLs) and run by CTest through Wine via cmake/wine-run.sh.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VLNT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VLNT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VLNT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VLNT_MINGW_TRIPLE}-windres)

if(NOT VLNT_WIN_DEPS AND DEFINED ENV{VLNT_WIN_DEPS})
  set(VLNT_WIN_DEPS "$ENV{VLNT_WIN_DEPS}")
endif()
set(VLNT_WIN_DEPS "${VLNT_WIN_DEPS}" CACHE PATH
    "Prefix made by scripts/build-windows-deps.sh (include/ and lib/ of the Windows dependencies)")
# try_compile() projects re-read this file; hand them the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VLNT_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${VLNT_MINGW_TRIPLE})
if(VLNT_WIN_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH "${VLNT_WIN_DEPS}")
endif()
# Build tools come from the host; libraries, headers and packages only from
# the mingw sysroot and the dependency prefix.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
