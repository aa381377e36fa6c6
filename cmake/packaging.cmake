# What a developer shipping the product receives: the product version that
# the version resources, the help and the package names all take from
# project(), import libraries for the two DLLs, the installation tree of
# `cmake --install` and the ZIP package CPack makes from it.

# The version, written once for the resource scripts and the C++ sources.
set(TW_GENERATED_INCLUDE ${PROJECT_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${TW_GENERATED_INCLUDE}/tw_version.h CONTENT
"#pragma once
// Generated from project() VERSION of the top-level CMakeLists.txt.
#define TW_VERSION_MAJOR ${PROJECT_VERSION_MAJOR}
#define TW_VERSION_MINOR ${PROJECT_VERSION_MINOR}
#define TW_VERSION_TEXT \"${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}\"
")
include_directories(${TW_GENERATED_INCLUDE})

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(TW_PACKAGE_SYSTEM win32)
else()
  set(TW_PACKAGE_SYSTEM win64)
endif()
set(TW_PACKAGE_BASENAME tidewell-for-palm-${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
# Not the archive folder: the linker leaves its own lib<name>.dll.a there,
# which for i686 names the stdcall imports wrongly and would replace ours.
set(TW_IMPORT_LIB ${PROJECT_BINARY_DIR}/import)

# Import libraries made by dlltool from the DLL's own .def file (-k drops the
# i686 stdcall "@n" from the imported names, as --kill-at did for the DLL).
# The archive it writes is also read by Microsoft's linker, hence the .lib.
function(tw_import_libraries target)
  set(def "$<FILTER:$<TARGET_PROPERTY:${target},SOURCES>,INCLUDE,\\.def$>")
  set(gnu ${TW_IMPORT_LIB}/lib${target}.dll.a)
  set(msvc ${TW_IMPORT_LIB}/${target}.lib)
  add_custom_command(OUTPUT ${gnu} ${msvc}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TW_IMPORT_LIB}
    COMMAND ${CMAKE_DLLTOOL} -d ${def} -D $<TARGET_FILE_NAME:${target}> -k -l ${gnu}
    COMMAND ${CMAKE_COMMAND} -E copy ${gnu} ${msvc}
    DEPENDS ${def}
    COMMENT "Import libraries of ${target}"
    VERBATIM)
  add_custom_target(${target}_import_libraries ALL DEPENDS ${gnu} ${msvc})
  install(FILES ${gnu} ${msvc} DESTINATION lib)
endfunction()

tw_import_libraries(twpalm)
tw_import_libraries(twpalmui)

install(FILES $<TARGET_FILE:twpalm> $<TARGET_FILE:twpalmui> ${TW_BIN}/twpalm.chm DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/include/twpalm.h ${PROJECT_SOURCE_DIR}/include/twpalmui.h DESTINATION include)
install(FILES ${PROJECT_SOURCE_DIR}/docs/integration.md DESTINATION doc)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tidewell-for-palm)
set(CPACK_PACKAGE_VENDOR "Quillon Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
set(TW_PACKAGE_FILE_NAME ${TW_PACKAGE_BASENAME}-${TW_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${TW_PACKAGE_FILE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)

# The build itself makes the ZIP. The shipping files are built first; CPack's
# own install step must not build "all" again, which would include this.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(tw_zip_package ALL
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  COMMENT "Packing ${TW_PACKAGE_FILE_NAME}.zip"
  VERBATIM)
add_dependencies(tw_zip_package twpalm twpalmui twpalm_help twpalm_import_libraries twpalmui_import_libraries)
