# Test helpers. Test programs are Windows console programs; ctest runs them through
# CMAKE_CROSSCOMPILING_EMULATOR (wine64) inside the environment that tools/testenv.sh sets up.
include(CTest)

set(VELMORA_TEST_DATA_DIR ${CMAKE_BINARY_DIR}/testdata CACHE INTERNAL "")
file(MAKE_DIRECTORY ${VELMORA_TEST_DATA_DIR})

if(VELMORA_TESTS)
  include(TestCerts)
  velmora_make_test_certs()

  # One nginx on 127.0.0.1:443 serving <build>/www, shared by the tests that ask for it.
  # Plain shell commands: they run on Linux, not through wine.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/www)
  add_test(NAME nginx_start COMMAND sh ${CMAKE_SOURCE_DIR}/tools/nginx-fixture.sh start ${CMAKE_BINARY_DIR})
  add_test(NAME nginx_stop COMMAND sh ${CMAKE_SOURCE_DIR}/tools/nginx-fixture.sh stop ${CMAKE_BINARY_DIR})
  set_tests_properties(nginx_start PROPERTIES FIXTURES_SETUP nginx RESOURCE_LOCK https-127.0.0.1 TIMEOUT 30)
  set_tests_properties(nginx_stop PROPERTIES FIXTURES_CLEANUP nginx RESOURCE_LOCK https-127.0.0.1 TIMEOUT 30)
endif()

# velmora_add_gtest(<name> SOURCES <files...> [LIBS <libs...>] [NGINX] [SCREEN] [LOCKS <locks...>]
#                   [TIMEOUT <s>] [FIXTURES <f...>] [ENV <NAME=value...>] [ARGS <args...>])
# Builds one GoogleTest program and registers it as one ctest test.
# NGINX: the test needs the nginx fixture (https://localhost/ serving <build>/www) and holds its address.
# SCREEN: the test reads pixels back from the screen or moves the pointer; tests run in parallel on one
#   display and any window may cover another, so such a test runs alone (and holds the lock "desktop",
#   which every other test that shows windows takes too).
function(velmora_add_gtest name)
  cmake_parse_arguments(T "NGINX;SCREEN" "TIMEOUT" "SOURCES;LIBS;LOCKS;FIXTURES;ARGS;ENV" ${ARGN})
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
  if(T_NGINX)
    list(APPEND T_FIXTURES nginx)
    list(APPEND T_LOCKS https-127.0.0.1)
  endif()
  if(T_SCREEN)
    # RUN_SERIAL alone has been seen to overlap with tests already running: the lock makes it hold.
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    list(APPEND T_LOCKS desktop)
  endif()
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
  if(T_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
  endif()
endfunction()

# <build>/programs.txt: every program this build makes, for tools/check-binaries.sh. Deferred to the end
# of the configuration so that every folder's targets are known.
function(_velmora_list_programs)
  set(programs "")
  set(dirs ${CMAKE_SOURCE_DIR})
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "EXECUTABLE")
        string(APPEND programs "$<TARGET_FILE:${target}>\n")
      endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
  endwhile()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/programs.txt CONTENT "${programs}")
endfunction()
cmake_language(DEFER CALL _velmora_list_programs)
