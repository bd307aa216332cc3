# pm_gui_test(<name> SOURCES ... DEPS ...): a dialog test program (label gui).
# Its tests share the one virtual display and take pictures of the screen, so
# they hold the "display" lock: they run one at a time, also under ctest -j.
function(pm_gui_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    PM_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    PM_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    PM_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS gui RESOURCE_LOCK display TIMEOUT 300)
endfunction()
