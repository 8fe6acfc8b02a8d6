# Helpers that add a test executable and register it with CTest.
#
#   orvenna_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
#   orvenna_add_qtest(NAME SOURCES a.cpp LIBS lib1)      # runs on the offscreen platform
#
# Both get ORVENNA_TEST_DATA (tests/data) and a private XDG_RUNTIME_DIR, carry the CTest label
# "unit" and join the orvenna_unit_tests target.
set(ORVENNA_TEST_DATA_DIR ${CMAKE_SOURCE_DIR}/tests/data)
set(ORVENNA_TEST_RUNTIME_DIR ${CMAKE_BINARY_DIR}/test-runtime)

function(_orvenna_test_common name)
  target_compile_definitions(${name} PRIVATE
    ORVENNA_TEST_DATA="${ORVENNA_TEST_DATA_DIR}"
    ORVENNA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    ORVENNA_BIN_DIR="${ORVENNA_OUTPUT_DIR}")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE orvenna_warnings)
  file(MAKE_DIRECTORY ${ORVENNA_TEST_RUNTIME_DIR})
  file(CHMOD ${ORVENNA_TEST_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set_property(GLOBAL APPEND PROPERTY ORVENNA_UNIT_TESTS ${name})
endfunction()

function(_orvenna_test_register name env)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS unit ENVIRONMENT "${env}")
endfunction()

function(orvenna_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  _orvenna_test_common(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  _orvenna_test_register(${name} "XDG_RUNTIME_DIR=${ORVENNA_TEST_RUNTIME_DIR};${T_ENV}")
endfunction()

function(orvenna_add_qtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets)
  _orvenna_test_common(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  _orvenna_test_register(${name}
    "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${ORVENNA_TEST_RUNTIME_DIR};${T_ENV}")
endfunction()
