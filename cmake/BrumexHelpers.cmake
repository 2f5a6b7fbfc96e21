# brumex_library(NAME SOURCES... DEPS ...): a subsystem's static library.
function(brumex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# brumex_test(NAME SOURCES... DEPS ...): a GoogleTest executable registered with
# CTest. Tests run offscreen at 96 dpi with the repository's test data folder.
function(brumex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} brumex_testmain GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    BRUMEX_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    BRUMEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_FONT_DPI=96;LC_ALL=C.UTF-8")
endfunction()
