# Sets TW_SOURCE_DATE_EPOCH, the time that the build's packages give their
# files: SOURCE_DATE_EPOCH when set, else the time of the last commit of
# SOURCE_DIR, else (a tree that is no git checkout) the time of its top
# CMakeLists.txt. Included by the scripts that pack files.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  set(TW_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
    RESULT_VARIABLE git_result OUTPUT_VARIABLE TW_SOURCE_DATE_EPOCH ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT git_result EQUAL 0 OR NOT TW_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(TIMESTAMP ${SOURCE_DIR}/CMakeLists.txt TW_SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()
