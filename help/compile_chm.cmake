# Compiles the help project in SOURCE_DIR with chmcmd inside the staging
# folder STAGE and copies the result to OUTPUT. Every warning of chmcmd (a
# missing file, a link to a page that does not exist) fails the build.
# The pages name the product version as @TW_VERSION@, filled in from VERSION.
# Usage: cmake -DCHMCMD=... -DSOURCE_DIR=... -DSTAGE=... -DOUTPUT=... -DVERSION=... -P compile_chm.cmake
foreach(var CHMCMD SOURCE_DIR STAGE OUTPUT VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compile_chm.cmake: ${var} is not set")
  endif()
endforeach()

file(GLOB sources
  ${SOURCE_DIR}/*.htm ${SOURCE_DIR}/*.css
  ${SOURCE_DIR}/*.hhp ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${sources} DESTINATION ${STAGE})
file(GLOB staged_pages ${STAGE}/*.htm)
foreach(page IN LISTS staged_pages)
  file(READ ${page} text)
  string(REPLACE "@TW_VERSION@" "${VERSION}" text "${text}")
  file(WRITE ${page} "${text}")
endforeach()

execute_process(
  COMMAND ${CHMCMD} --verbosity 0 twpalm.hhp
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
# Show what chmcmd said, less its banner and its notes.
string(REGEX REPLACE "chmcmd, a CHM compiler[^\n]*\n?" "" output "${output}")
string(REGEX REPLACE "(^|\n)Note:[^\n]*" "" output "${output}")
string(STRIP "${output}" output)
if(output)
  message("${output}")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "chmcmd failed (${result})")
endif()
if(output MATCHES "Warning|Error|exception")
  message(FATAL_ERROR "chmcmd reported problems in the help sources")
endif()
if(NOT EXISTS ${STAGE}/twpalm.chm)
  message(FATAL_ERROR "chmcmd did not produce twpalm.chm")
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(COPY_FILE ${STAGE}/twpalm.chm ${OUTPUT})
