# Copies FILES into the folder STAGE and gives each the time of
# cmake/source_date_epoch.cmake, so that a packer that stores file times
# (makensis does) writes the same bytes for the same commit.
# Usage: cmake -DSOURCE_DIR=... -DSTAGE=... "-DFILES=a;b" -P stage_files.cmake
foreach(var SOURCE_DIR STAGE FILES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stage_files.cmake: ${var} is not set")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${FILES} DESTINATION ${STAGE})
file(GLOB staged ${STAGE}/*)
execute_process(COMMAND touch -d @${TW_SOURCE_DATE_EPOCH} ${staged} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "setting the time of the staged files failed")
endif()
