# Fails when a translator's file is not what lupdate makes of it and the code: a text was added,
# changed or dropped in the code since the files were last brought up to date. Runs lupdate over
# copies in CHECK_DIR, so the files themselves are never touched.
#
#   cmake -DLUPDATE=... -DGENERATOR=... -DCHECK_DIR=... -DTS_FILES=a.ts;b.ts -DOPTIONS=...
#         -P CheckTranslations.cmake
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  file(REMOVE ${CHECK_DIR}/${name})
  file(COPY ${ts} DESTINATION ${CHECK_DIR})
endforeach()
execute_process(
  COMMAND ${CMAKE_COMMAND} -DIN_FILE=${CHECK_DIR}/project.cmake -DOUT_FILE=${CHECK_DIR}/project.json
          -P ${GENERATOR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write the lupdate project")
endif()
execute_process(
  COMMAND ${LUPDATE} -project ${CHECK_DIR}/project.json ${OPTIONS}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
set(stale)
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  file(READ ${ts} committed)
  file(READ ${CHECK_DIR}/${name} updated)
  if(NOT committed STREQUAL updated)
    list(APPEND stale ${name})
    execute_process(COMMAND diff -u ${ts} ${CHECK_DIR}/${name})
  endif()
endforeach()
if(stale)
  list(JOIN stale ", " names)
  message(FATAL_ERROR "The translations are out of date with the code: ${names}.\n"
                      "Run: cmake --build <build folder> --target update_translations\n"
                      "then translate what is new (messages marked unfinished) and commit.")
endif()
message(STATUS "translations up to date")
