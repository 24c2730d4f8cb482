# One static library per folder of src/, its sources found by glob so that
# adding a file needs no edit here.
function(korvant_library name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER _sources INCLUDE REGEX "\\.cpp$")
  if(_sources)
    file(GLOB _sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    # Linked directly so that AUTOMOC finds Qt on every layer.
    target_link_libraries(${name} PUBLIC ${ARG_LINK} Qt6::Core)
  else()
    # A layer with no code yet still stands in the chain.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
endfunction()

# Every tests/<folder>/tst_*.cpp becomes one Qt Test executable registered with CTest.
function(korvant_tests folder)
  cmake_parse_arguments(ARG "" "" "LINK;ENV" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
  foreach(_src ${_tests})
    get_filename_component(_name ${_src} NAME_WE)
    set(_target ${folder}_${_name})
    add_executable(${_target} ${_src})
    set_target_properties(${_target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${_target} PRIVATE testsupport ${ARG_LINK} Qt6::Test)
    add_test(NAME ${_target} COMMAND ${_target})
    set_tests_properties(${_target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVANT_SOURCE_DIR=${CMAKE_SOURCE_DIR};${ARG_ENV}"
      TIMEOUT 300)
  endforeach()
endfunction()

# Every tests/<folder>/<prefix>_*.cpp: a test under a real X server
# (scripts/with-xvfb.sh), screenshots saved into build/screenshots/.
function(korvant_display_tests prefix folder)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB _shots CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/${prefix}_*.cpp)
  foreach(_src ${_shots})
    get_filename_component(_name ${_src} NAME_WE)
    set(_target ${folder}_${_name})
    add_executable(${_target} ${_src})
    set_target_properties(${_target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${_target} PRIVATE testsupport ${ARG_LINK} Qt6::Test)
    target_compile_definitions(${_target} PRIVATE KORVANT_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
    add_test(NAME ${_target} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/with-xvfb.sh $<TARGET_FILE:${_target}>)
    set_tests_properties(${_target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;QTWEBENGINE_DISABLE_SANDBOX=1;KORVANT_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
      TIMEOUT 300)
  endforeach()
endfunction()

# Screenshots: tests/<folder>/shot_*.cpp.
function(korvant_shots folder)
  korvant_display_tests(shot ${folder} ${ARGN})
endfunction()

# Web-engine forms driven under a real display: tests/<folder>/web_*.cpp.
function(korvant_web_tests folder)
  korvant_display_tests(web ${folder} ${ARGN})
  file(GLOB _webs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/web_*.cpp)
  foreach(_src ${_webs})
    get_filename_component(_name ${_src} NAME_WE)
    set_property(TEST ${folder}_${_name} APPEND PROPERTY LABELS webengine)
  endforeach()
endfunction()
