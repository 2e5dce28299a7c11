# Small helpers shared by the subdirectories' CMakeLists.

# Adds every immediate subdirectory of ROOT that has a CMakeLists.txt.
function(qd_add_subdirectories root)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${root}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# qd_native_test(NAME src... [LIBS lib...]): a GoogleTest program run by ctest (native build only).
function(qd_native_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  if(QD_WINDOWS)
    return()
  endif()
  find_package(GTest REQUIRED)
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  if(T_LIBS)
    target_link_libraries(${name} PRIVATE ${T_LIBS})
  else()
    target_link_libraries(${name} PRIVATE qd_core)
  endif()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main pthread)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs/include ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE QD_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QD_BINARY_DIR="${CMAKE_BINARY_DIR}"
                             QD_WINDOWS_BUILD_DIR="${QD_WINDOWS_BUILD_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# qd_e2e_test(NAME src... [LIBS lib...] [DEPENDS target...] [TIMEOUT seconds] [ENVIRONMENT var=value...]):
# an end-to-end test, a native GoogleTest program that runs the Windows build under Wine through
# the rig library (tests/e2e). It links qd_rig, needs the rig's feeder, runs alone (the rigs share
# one Wine prefix and the machine's two cores) and carries the label "e2e" (ctest -L e2e).
function(qd_e2e_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;DEPENDS;ENVIRONMENT" ${ARGN})
  if(QD_WINDOWS)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  qd_native_test(${name} ${T_UNPARSED_ARGUMENTS} LIBS qd_rig ${T_LIBS})
  add_dependencies(${name} qd_rig_feeder ${T_DEPENDS})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} RUN_SERIAL TRUE LABELS e2e)
  if(T_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()

# qd_windows_test(NAME src... [LIBS lib...]): a GoogleTest program built with MinGW and run under
# Wine by ctest (windows build only). GoogleTest itself is built from Debian's sources.
function(qd_windows_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  if(NOT QD_WINDOWS)
    return()
  endif()
  qd_mingw_gtest()
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  if(T_LIBS)
    target_link_libraries(${name} PRIVATE ${T_LIBS})
  else()
    target_link_libraries(${name} PRIVATE qd_core)
  endif()
  target_link_libraries(${name} PRIVATE qd_gtest qd_gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs/include ${CMAKE_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# GoogleTest for MinGW, compiled once from /usr/src/googletest (Debian package googletest).
macro(qd_mingw_gtest)
  if(NOT TARGET qd_gtest)
    set(_gt /usr/src/googletest/googletest)
    add_library(qd_gtest STATIC ${_gt}/src/gtest-all.cc)
    target_include_directories(qd_gtest SYSTEM PUBLIC ${_gt}/include PRIVATE ${_gt})
    add_library(qd_gtest_main STATIC ${_gt}/src/gtest_main.cc)
    target_link_libraries(qd_gtest_main PUBLIC qd_gtest)
  endif()
endmacro()
