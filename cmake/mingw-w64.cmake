# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so std::thread works).
# The runtime (libgcc, libstdc++, winpthread) is linked statically: the programs run on a clean Windows.
# cmake/mingw-w64-i686.cmake sets QD_MINGW_TRIPLE first for the 32-bit build.
if(NOT QD_MINGW_TRIPLE)
  set(QD_MINGW_TRIPLE x86_64-w64-mingw32)
endif()
string(REGEX REPLACE "-.*" "" _qd_processor ${QD_MINGW_TRIPLE})
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${_qd_processor})
set(CMAKE_C_COMPILER ${QD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QD_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_RC_FLAGS "-c65001")
# ctest runs the Windows programs under Wine in the build tree's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
