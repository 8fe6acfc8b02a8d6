# Helpers that add a test executable and register it with CTest.
#
#   orvenna_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
#   orvenna_add_qtest(NAME SOURCES a.cpp LIBS lib1)      # runs on the offscreen platform
#
# Both get ORVENNA_TEST_DATA (tests/data) and a private XDG_RUNTIME_DIR, carry the CTest label
# "unit" and join the orvenna_unit_tests target.
#
#   orvenna_add_x11_test(NAME COMMAND cmd args... [TRAY] [SOUND] [MONITORS] [TIMEOUT s] [ENV A=1 B=2])
#   orvenna_add_x11_qtest(NAME SOURCES a.cpp LIBS lib1 [TRAY] [SOUND] [TIMEOUT s] [ENV ...])
#   orvenna_add_e2e_test(NAME SCRIPT s.sh [ARGS extra...] [TRAY] [SOUND] [MONITORS] [TIMEOUT s])
#
# These run in a virtual X session of their own with openbox (scripts/xsession.sh; TRAY adds a
# tray host, SOUND a sound server with a null sink, MONITORS two monitors of 1024 x 768 side by
# side on Xorg's dummy driver, skipped where that cannot run) on Qt's xcb platform, one session
# at a time, with the CTest label "x11". An end-to-end script gets the program's folder and the notes
# tool as its first two arguments.
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

function(orvenna_add_x11_test name)
  cmake_parse_arguments(T "TRAY;SOUND;MONITORS" "TIMEOUT" "COMMAND;ENV" ${ARGN})
  set(session)
  if(T_TRAY)
    list(APPEND session --tray)
  endif()
  if(T_SOUND)
    list(APPEND session --sound)
  endif()
  if(T_MONITORS)
    list(APPEND session --monitors --size 1024x768)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 90)
  endif()
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/xsession.sh ${session} -- ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS x11 TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK xsession
    SKIP_RETURN_CODE 77 ENVIRONMENT "QT_QPA_PLATFORM=xcb;${T_ENV}")
endfunction()

function(orvenna_add_x11_qtest name)
  cmake_parse_arguments(T "TRAY;SOUND" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets)
  _orvenna_test_common(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(flags)
  foreach(flag TRAY SOUND)
    if(T_${flag})
      list(APPEND flags ${flag})
    endif()
  endforeach()
  orvenna_add_x11_test(${name} COMMAND $<TARGET_FILE:${name}> ${flags} TIMEOUT ${T_TIMEOUT}
    ENV ${T_ENV})
endfunction()

function(orvenna_add_e2e_test name)
  cmake_parse_arguments(T "TRAY;SOUND;MONITORS" "TIMEOUT;SCRIPT" "ARGS" ${ARGN})
  set(flags)
  foreach(flag TRAY SOUND MONITORS)
    if(T_${flag})
      list(APPEND flags ${flag})
    endif()
  endforeach()
  orvenna_add_x11_test(${name}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${T_SCRIPT} $<TARGET_FILE_DIR:orvenna>
      $<TARGET_FILE:orvenna-notes> ${T_ARGS}
    ${flags} TIMEOUT ${T_TIMEOUT})
endfunction()
