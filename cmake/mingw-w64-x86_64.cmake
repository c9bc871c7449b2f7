# Cross-compiles the Windows console executable with Debian's mingw-w64.
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of this GCC lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C++ and GCC runtimes are linked in, so it needs
# no DLL beyond the ones every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The release executable carries no symbols: it is what users download.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
