# Cross toolchain for Windows: Debian's MinGW-w64 in its posix threads flavour (std::thread), with
# executables that carry their runtime inside, so that they run on a bare Windows 10 or 11.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake
# Tests and the programs CMake runs while building start under wine, with a wine prefix of the
# build folder's own (scripts/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEV_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZEV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEV_MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${ZEV_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${ZEV_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the Windows side only; programs are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${ZEV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The optimised flags are the cache values themselves: *_INIT flags would stand before CMake's own
# "-O3", and the -O3 would win. No fused multiply-add, as in every other build.
set(CMAKE_C_FLAGS_INIT "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -g -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g -DNDEBUG" CACHE STRING "")
# No libgcc_s_seh-1.dll, libstdc++-6.dll or libwinpthread-1.dll beside the program: it needs only
# what every Windows has (KERNEL32.dll and msvcrt.dll). No link time in the program's header, so
# that two builds of one source give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

get_filename_component(ZEV_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
                                  ${ZEV_WINE_RUN})
