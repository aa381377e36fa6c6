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

# The same sources give the same bytes: chmcmd leaves two bytes of the
# keyword map unset, whose value follows the memory layout, so it runs with
# address-space randomisation off (setarch -R); its two time stamps are
# cleared below.
execute_process(
  COMMAND setarch ${CMAKE_HOST_SYSTEM_PROCESSOR} -R ${CHMCMD} --verbosity 0 twpalm.hhp
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

# Clears the time stamps chmcmd writes: the one of the ITSF header (offset
# 16) and #SYSTEM's entry 10, found through the directory entry of #SYSTEM
# (name, then section, offset and length as ENCINTs) in content section 0,
# whose start the header gives at offset 0x58.
set(chm ${STAGE}/twpalm.chm)
file(READ ${chm} hex HEX)
function(chm_byte position out)
  math(EXPR at "${position} * 2")
  string(SUBSTRING "${hex}" ${at} 2 byte)
  math(EXPR value "0x${byte}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()
function(chm_le position size out)  # little-endian unsigned of size bytes
  set(value 0)
  math(EXPR last "${position} + ${size} - 1")
  foreach(i RANGE ${last} ${position} -1)
    chm_byte(${i} byte)
    math(EXPR value "${value} * 256 + ${byte}")
  endforeach()
  set(${out} ${value} PARENT_SCOPE)
endfunction()
function(chm_clear position size)
  execute_process(COMMAND dd if=/dev/zero of=${chm} bs=1 seek=${position} count=${size} conv=notrunc
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "clearing ${size} bytes at ${position} of ${chm} failed")
  endif()
endfunction()
string(SUBSTRING "${hex}" 0 8 magic)
string(FIND "${hex}" "082f2353595354454d" name_at)
math(EXPR odd "${name_at} % 2")
if(NOT magic STREQUAL "49545346" OR name_at LESS 0 OR odd)
  message(FATAL_ERROR "${chm}: no ITSF header or no #SYSTEM entry, its time stamps stay")
endif()
chm_clear(16 4)
chm_le(88 8 section0)
math(EXPR position "${name_at} / 2 + 9")
set(numbers "")
foreach(n RANGE 2)  # section, offset, length
  set(value 0)
  set(more 128)
  while(more GREATER 0)
    chm_byte(${position} byte)
    math(EXPR position "${position} + 1")
    math(EXPR value "${value} * 128 + (${byte} & 127)")
    math(EXPR more "${byte} & 128")
  endwhile()
  list(APPEND numbers ${value})
endforeach()
list(GET numbers 1 system_offset)
list(GET numbers 2 system_length)
math(EXPR entry "${section0} + ${system_offset} + 4")
math(EXPR system_end "${section0} + ${system_offset} + ${system_length}")
set(cleared FALSE)
while(entry LESS system_end)
  chm_le(${entry} 2 code)
  math(EXPR at "${entry} + 2")
  chm_le(${at} 2 length)
  if(code EQUAL 10 AND length GREATER_EQUAL 4)
    math(EXPR at "${entry} + 4")
    chm_clear(${at} 4)
    set(cleared TRUE)
  endif()
  math(EXPR entry "${entry} + 4 + ${length}")
endwhile()
if(NOT cleared)
  message(FATAL_ERROR "${chm}: #SYSTEM has no time stamp entry")
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(COPY_FILE ${STAGE}/twpalm.chm ${OUTPUT})
