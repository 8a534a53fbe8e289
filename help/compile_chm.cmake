# Compiles the help project in WORK_DIR with CHMCMD and copies the result to
# OUTPUT. A warning (a link to a page that is not there) fails the build.
# With PYTHON, the compile times in the file are set to 0, so that the
# same pages give the same bytes.
execute_process(
  COMMAND ${CHMCMD} Vorlane.hhp
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "Warning")
  message(FATAL_ERROR "chmcmd failed:\n${output}")
endif()
if(PYTHON)
  execute_process(
    COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/fix_chm_times.py ${WORK_DIR}/Vorlane.chm
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not fix the times in Vorlane.chm")
  endif()
endif()
file(COPY_FILE ${WORK_DIR}/Vorlane.chm ${OUTPUT})
