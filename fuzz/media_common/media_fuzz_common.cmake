# The media modules built once for all media fuzz targets, with a fake player library.
if(NOT TARGET media_fuzz_core)
  file(GLOB MEDIA_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/media/*.cpp)
  list(FILTER MEDIA_FUZZ_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
  add_library(media_fuzz_core STATIC ${MEDIA_FUZZ_SOURCES} ${CMAKE_SOURCE_DIR}/tests/media/fake_player.cpp)
  target_link_libraries(media_fuzz_core PUBLIC qd_base)
  target_include_directories(media_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs/include
                             ${CMAKE_SOURCE_DIR}/tests/media)
  target_compile_options(media_fuzz_core PUBLIC -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(media_fuzz_core PUBLIC -fsanitize=address,undefined)
endif()
