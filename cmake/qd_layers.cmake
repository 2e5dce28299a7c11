# One static library per folder of src/, stacked in layers. A library's sources are every .cpp
# of its folder for the build at hand (foo_win32.cpp for Windows, foo_native.cpp natively, any
# other file in both), found again whenever a file is added. Each library names the folders it
# builds on; it may include headers of its own folder and of those folders, directly or through
# their own dependencies, and nothing else: a check run as part of its build fails on any other
# include of a src/ folder, however it is spelled ("folder/x.h", <folder/x.h>, "../folder/x.h"),
# so an upward include cannot creep in.

set(QD_LAYER_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/check_layer_includes.cmake)

# qd_layer(NAME [DEPENDS folder...] [HEADERS folder/file.h...] [SYSTEM_LIBS lib...]
# [EXCLUDE regex...]): builds src/NAME as the static library qd_NAME linked to qd_<folder> of
# each dependency. HEADERS are single headers of a lower folder the layer does not build on as a
# whole (it links that folder's library, may include those headers and nothing else of it, and
# passes none of them on). SYSTEM_LIBS are Windows import libraries the folder's Win32 files
# call; EXCLUDE leaves out files built elsewhere.
function(qd_layer name)
  cmake_parse_arguments(L "" "" "DEPENDS;HEADERS;SYSTEM_LIBS;EXCLUDE" ${ARGN})
  set(dir ${CMAKE_SOURCE_DIR}/src/${name})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
  if(QD_WINDOWS)
    list(FILTER sources EXCLUDE REGEX "_native\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  foreach(pattern ${L_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()

  # The folders this one may include: itself and the closure of its dependencies.
  set(allowed ${name})
  foreach(dep ${L_DEPENDS})
    if(NOT DEFINED QD_LAYER_ALLOWED_${dep})
      message(FATAL_ERROR "src/${name} builds on src/${dep}, which is not declared yet: declare the lower layer first")
    endif()
    list(APPEND allowed ${QD_LAYER_ALLOWED_${dep}})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set(QD_LAYER_ALLOWED_${name} ${allowed} PARENT_SCOPE)

  if(sources)
    add_library(qd_${name} STATIC ${sources})
    set(vis PUBLIC)
  else()
    add_library(qd_${name} INTERFACE)
    set(vis INTERFACE)
  endif()
  target_include_directories(qd_${name} ${vis} ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs/include)
  foreach(dep ${L_DEPENDS})
    target_link_libraries(qd_${name} ${vis} qd_${dep})
  endforeach()
  foreach(header ${L_HEADERS})
    string(REGEX REPLACE "/.*" "" dep "${header}")
    if(NOT DEFINED QD_LAYER_ALLOWED_${dep})
      message(FATAL_ERROR "src/${name} uses ${header}, whose folder is not declared yet: declare the lower layer first")
    endif()
    target_link_libraries(qd_${name} ${vis} qd_${dep})
  endforeach()
  if(QD_WINDOWS AND L_SYSTEM_LIBS)
    target_link_libraries(qd_${name} ${vis} ${L_SYSTEM_LIBS})
  endif()

  # The include check, re-run whenever a file of the folder changes.
  set(check_dir ${CMAKE_BINARY_DIR}/layer_checks)
  set(config ${check_dir}/${name}.cmake)
  set(stamp ${check_dir}/${name}.stamp)
  file(CONFIGURE OUTPUT ${config} CONTENT
       "set(LAYER \"${name}\")\nset(ALLOWED \"${allowed}\")\nset(ALLOWED_HEADERS \"${L_HEADERS}\")\nset(FILES \"${sources};${headers}\")\nset(SRC_ROOT \"${CMAKE_SOURCE_DIR}/src\")\n")
  add_custom_command(OUTPUT ${stamp}
                     COMMAND ${CMAKE_COMMAND} -DCONFIG=${config} -DSTAMP=${stamp} -P ${QD_LAYER_CHECK_SCRIPT}
                     DEPENDS ${sources} ${headers} ${config} ${QD_LAYER_CHECK_SCRIPT}
                     COMMENT "Checking the includes of src/${name}" VERBATIM)
  add_custom_target(qd_${name}_layer_check DEPENDS ${stamp})
  add_dependencies(qd_${name} qd_${name}_layer_check)
endfunction()
