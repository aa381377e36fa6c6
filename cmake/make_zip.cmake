# Makes the ZIP package from the installation tree, the same bytes for the
# same commit wherever and whenever it is built: the tree is installed into
# a staging folder, every entry gets the commit's time
# (cmake/source_date_epoch.cmake), and zip stores the
# files in sorted order without owners or Unix time fields (-X), in UTC.
# Usage: cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DNAME=<package base name>
#              -DOUTPUT=<.zip> -DZIP=<zip program> -P make_zip.cmake
foreach(var BUILD_DIR SOURCE_DIR NAME OUTPUT ZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_zip.cmake: ${var} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
set(epoch ${TW_SOURCE_DATE_EPOCH})

set(stage ${BUILD_DIR}/package/stage)
file(REMOVE_RECURSE ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage}/${NAME}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "installing into ${stage} failed")
endif()

# Modes as the installation sets them, whatever the umask.
execute_process(COMMAND chmod -R u=rwX,go=rX ${stage})
file(GLOB_RECURSE entries RELATIVE ${stage} LIST_DIRECTORIES true ${stage}/*)
list(SORT entries)
execute_process(COMMAND touch -h -d @${epoch} ${entries} WORKING_DIRECTORY ${stage} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "setting the time of the staged files failed")
endif()
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC LC_ALL=C ${ZIP} -X -q -9 ${OUTPUT} ${entries}
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "zip failed (${result})")
endif()
file(REMOVE_RECURSE ${stage})
