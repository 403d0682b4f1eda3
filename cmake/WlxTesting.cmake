# wlx_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest program per folder; tests run from the build's bin directory
# so that servers and dictionaries are found beside them.
function(wlx_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} wlx_testing GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${WLX_BIN_DIR}
    PROPERTIES ENVIRONMENT "LC_ALL=C"
    DISCOVERY_TIMEOUT 60)
endfunction()
