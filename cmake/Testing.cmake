# Test helpers. Test programs are Windows console programs; ctest runs them through
# CMAKE_CROSSCOMPILING_EMULATOR (wine64) inside the environment that tools/testenv.sh sets up.
include(CTest)

set(VELMORA_TEST_DATA_DIR ${CMAKE_BINARY_DIR}/testdata CACHE INTERNAL "")
file(MAKE_DIRECTORY ${VELMORA_TEST_DATA_DIR})

# velmora_add_gtest(<name> SOURCES <files...> [LIBS <libs...>] [LOCKS <locks...>] [TIMEOUT <s>] [FIXTURES <f...>])
# Builds one GoogleTest program and registers it as one ctest test.
function(velmora_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCKS;FIXTURES;ARGS" ${ARGN})
  if(NOT VELMORA_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  target_compile_definitions(${name} PRIVATE
    VELMORA_TEST_DATA_DIR="${VELMORA_TEST_DATA_DIR}"
    VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
endfunction()
