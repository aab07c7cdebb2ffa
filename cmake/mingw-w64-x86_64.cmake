# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads variant, whose
# libstdc++ has std::thread and std::mutex). Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TREMOLEX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TREMOLEX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TREMOLEX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TREMOLEX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TREMOLEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libstdc++, libgcc, winpthread) goes into each program, so
# the programs run under Wine, or on a machine without MinGW, with no DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine runs the programs for CTest, in a Wine prefix of the build folder's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh
                                  ${CMAKE_BINARY_DIR}/wineprefix)
