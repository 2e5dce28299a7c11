# Cross build for 32-bit Windows (i686): everything else as in the 64-bit build. It targets any
# i686 processor, without SSE: the codec's vector types are then split into scalar code, which
# gcc reports (-Wpsabi) although every such function is built with the same flags.
set(QD_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_FLAGS_INIT "-Wno-psabi")
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# The libraries export their stdcall functions under the plain names of their .def files, as the
# program looks them up: the linker's fix-up is wanted, not worth a warning per export.
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--enable-stdcall-fixup")
