# The translations of the program's captions, menus and messages.
#
#   orvenna_add_translations(TARGET t TS_FILES a.ts b.ts SOURCE_TARGETS lib1 lib2 ...)
#
# Builds each translator's file (translations/orvenna_<language>.ts) into the resources of t as
# ":/i18n/orvenna_<language>.qm" (qt_add_translations), the tr() texts taken from the sources of
# the SOURCE_TARGETS. `cmake --build build --target update_translations` brings the files up to
# date with the code. The test "translations_current" fails while they are not: it runs the same
# lupdate over copies of them and compares.
set(ORVENNA_LUPDATE_OPTIONS -locations none -no-ui-lines)

function(orvenna_add_translations)
  cmake_parse_arguments(T "" "TARGET" "TS_FILES;SOURCE_TARGETS" ${ARGN})
  set(sources)
  foreach(source_target IN LISTS T_SOURCE_TARGETS)
    get_target_property(dir ${source_target} SOURCE_DIR)
    get_target_property(files ${source_target} SOURCES)
    foreach(file IN LISTS files)
      if(file MATCHES "\\.(cpp|h)$")
        if(NOT IS_ABSOLUTE "${file}")
          set(file "${dir}/${file}")
        endif()
        list(APPEND sources "${file}")
      endif()
    endforeach()
  endforeach()
  qt_add_translations(${T_TARGET}
    TS_FILES ${T_TS_FILES}
    SOURCES ${sources}
    INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}
    LUPDATE_OPTIONS ${ORVENNA_LUPDATE_OPTIONS})
  if(NOT BUILD_TESTING)
    return()
  endif()
  set(check_dir ${CMAKE_BINARY_DIR}/translations-check)
  set(copies)
  foreach(ts IN LISTS T_TS_FILES)
    get_filename_component(name ${ts} NAME)
    list(APPEND copies ${check_dir}/${name})
  endforeach()
  file(GENERATE OUTPUT ${check_dir}/project.cmake CONTENT
"set(lupdate_project_file \"${PROJECT_SOURCE_DIR}/CMakeLists.txt\")
set(lupdate_include_paths \"${PROJECT_SOURCE_DIR}\")
set(lupdate_sources \"${sources}\")
set(lupdate_translations \"${copies}\")
")
  add_test(NAME translations_current
    COMMAND ${CMAKE_COMMAND}
      -DLUPDATE=$<TARGET_FILE:Qt6::lupdate>
      -DGENERATOR=${_Qt6_LINGUIST_TOOLS_DIR}/GenerateLUpdateProject.cmake
      -DCHECK_DIR=${check_dir}
      "-DTS_FILES=${T_TS_FILES}"
      "-DOPTIONS=${ORVENNA_LUPDATE_OPTIONS}"
      -P ${PROJECT_SOURCE_DIR}/cmake/CheckTranslations.cmake)
  set_tests_properties(translations_current PROPERTIES LABELS unit)
endfunction()
