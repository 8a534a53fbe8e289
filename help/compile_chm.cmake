# Compiles the help project in WORK_DIR with CHMCMD and copies the result to
# OUTPUT. A warning (a link to a page that is not there) fails the build.
execute_process(
  COMMAND ${CHMCMD} Vorlane.hhp
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "Warning")
  message(FATAL_ERROR "chmcmd failed:\n${output}")
endif()
file(COPY_FILE ${WORK_DIR}/Vorlane.chm ${OUTPUT})
