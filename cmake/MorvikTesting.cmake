# Helpers for the test suites.

# morvik_unit_test(name SOURCES ... LIBS ...): a GoogleTest binary whose
# cases are registered one by one with CTest.
function(morvik_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# The throwaway PostgreSQL cluster of the database tests (tests/pg): its
# directory, and the env file in it that names its socket and port.
set(MORVIK_PGTEST_DIR ${CMAKE_BINARY_DIR}/pgtest)
# The PgBouncer in front of it (tests/e2e starts and stops it as the fixture
# pooler) keeps its env file in this directory.
set(MORVIK_POOLER_DIR ${CMAKE_BINARY_DIR}/pooler)

# morvik_db_test(name SOURCES ... LIBS ...): a GoogleTest binary that runs
# against the test cluster. It links pgtest, whose main points PGHOST and
# PGPORT at the cluster; its cases need the fixture pg (started and stopped
# by the tests pg_start and pg_stop) and share the lock morvikdb, since they
# all empty and fill the same database.
function(morvik_db_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} pgtest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES FIXTURES_REQUIRED pg RESOURCE_LOCK morvikdb)
endfunction()
