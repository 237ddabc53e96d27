# Helpers for the test suites.

# morvik_unit_test(name SOURCES ... LIBS ...): a GoogleTest binary whose
# cases are registered one by one with CTest.
function(morvik_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
