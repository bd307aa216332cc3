# Helpers shared by every folder's CMakeLists.txt.

# pm_library(<name> SOURCES ... [DEPS ...] [PUBLIC_INCLUDE ...])
# A static library of one folder. The project root is on every include path,
# so headers are included by their path from the root ("lapgear/LapGear.h").
function(pm_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PUBLIC_INCLUDE" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${A_PUBLIC_INCLUDE})
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
endfunction()

# pm_test(<name> SOURCES ... [DEPS ...] [LABELS ...] [GUI])
# A GoogleTest program, one CTest test that runs all its cases in one
# process, so that state one case leaves behind for the next is found.
# Tests find the shared fixtures through PM_TEST_DATA and the project root
# through PM_SOURCE_DIR.
# GUI marks a dialog test: label "gui", and the "display" lock, because such
# tests share the one virtual display and take pictures of it, so they run one
# at a time also under ctest -j. When PM_TEST_ONLY names programs, the others
# are not made.
function(pm_test name)
  if(PM_TEST_ONLY AND NOT name IN_LIST PM_TEST_ONLY)
    return()
  endif()
  cmake_parse_arguments(A "GUI" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    PM_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    PM_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    PM_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(props TIMEOUT 900)
  set(labels ${A_LABELS})
  if(A_GUI)
    list(APPEND labels gui)
    list(APPEND props RESOURCE_LOCK display)
  endif()
  if(labels)
    # Several labels would be split by the property list: join them with commas.
    list(JOIN labels "," label_text)
    list(APPEND props LABELS "${label_text}")
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ${props})
endfunction()

# pm_bench(<name> SOURCES ... [DEPS ...])
function(pm_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

# pm_add_subfolders(<folder>): add every folder directly below <folder> that has
# a CMakeLists.txt (tests/<module>, tools/<tool>, bench/<name>), in name order.
function(pm_add_subfolders parent)
  file(GLOB dirs LIST_DIRECTORIES true "${parent}/*")
  list(SORT dirs)
  foreach(dir IN LISTS dirs)
    if(IS_DIRECTORY "${dir}" AND EXISTS "${dir}/CMakeLists.txt")
      add_subdirectory("${dir}")
    endif()
  endforeach()
endfunction()
