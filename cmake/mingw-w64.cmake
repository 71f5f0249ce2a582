# Cross-building the Windows module and hosts with MinGW-w64 (the posix
# thread model of Debian's g++-mingw-w64-*-posix). Included by the toolchain
# file of each architecture after it has set mingw_triplet and the processor.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${mingw_triplet}-gcc-posix ${mingw_triplet}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_triplet}-g++-posix ${mingw_triplet}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing but system DLLs beside the binaries: the GCC and C++ runtimes and
# winpthread (which the posix thread model pulls in) are linked statically;
# the system DLLs stay imports, as their import libraries are archives.
set(mingw_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${mingw_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${mingw_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${mingw_static_runtime}")
