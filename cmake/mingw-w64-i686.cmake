# Cross build for 32-bit Windows (i686): everything else as in the 64-bit build.
set(QD_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
