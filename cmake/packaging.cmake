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

# The installer, built by makensis from packaging/tidewell-for-palm.nsi: from
# the i686 build the one to ship (x86-ansi, runs on Windows 95 onwards), from
# the x86_64 build a 64-bit one that the tests run under Wine. The conduit
# libraries and Palm's CondMgr.dll are not part of this project: they come
# from TW_PALM_REDIST_DIR, or from the stand-ins when it is empty.
find_program(TW_MAKENSIS makensis)
if(NOT TW_MAKENSIS OR NOT EXISTS "${TW_MAKENSIS}")
  message(FATAL_ERROR "makensis was not found: the installers are built with NSIS 3 "
    "(on Debian: apt-get install nsis; ./scripts/test.sh and ./scripts/demo.sh install it themselves). "
    "Or point TW_MAKENSIS at it.")
endif()
set(TW_PALM_REDIST_DIR "" CACHE PATH
  "Folder with twdate.dll, twtask.dll and Palm's CondMgr.dll for the installer (empty: the stand-ins)")
if(TW_PALM_REDIST_DIR)
  set(TW_INSTALLER_REDIST ${TW_PALM_REDIST_DIR})
  set(TW_INSTALLER_REDIST_DEPENDS ${TW_PALM_REDIST_DIR}/twdate.dll ${TW_PALM_REDIST_DIR}/twtask.dll
    ${TW_PALM_REDIST_DIR}/CondMgr.dll)
else()
  message(STATUS "The installer carries the stand-in conduits and CondMgr.dll: "
    "set TW_PALM_REDIST_DIR to the folder of the real ones for an installer to ship")
  set(TW_INSTALLER_REDIST ${TW_BIN}/standins/redist)
  set(TW_INSTALLER_REDIST_DEPENDS standin_twdate standin_twtask standin_condmgr)
endif()
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(TW_NSIS_TARGET x86-ansi)
  set(TW_SETUP ${PROJECT_BINARY_DIR}/package/${TW_PACKAGE_BASENAME}-setup.exe)
else()
  set(TW_NSIS_TARGET amd64-unicode)
  set(TW_SETUP ${PROJECT_BINARY_DIR}/package/${TW_PACKAGE_BASENAME}-setup-win64.exe)
endif()
set(TW_NSIS_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/tidewell-for-palm.nsi)
add_custom_command(OUTPUT ${TW_SETUP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
  COMMAND ${TW_MAKENSIS} -V2 -NOCD
    -DTW_VERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
    -DTW_TARGET=${TW_NSIS_TARGET}
    -DTW_BIN=${TW_BIN}
    -DTW_REDIST=${TW_INSTALLER_REDIST}
    -DTW_ICON=${PROJECT_SOURCE_DIR}/resources/art/product.ico
    -DTW_OUTFILE=${TW_SETUP}
    ${TW_NSIS_SCRIPT}
  DEPENDS ${TW_NSIS_SCRIPT} twpalm twpalmui ${TW_BIN}/twpalm.chm ${TW_INSTALLER_REDIST_DEPENDS}
  COMMENT "Building the installer ${TW_SETUP}"
  VERBATIM)
add_custom_target(tw_installer ALL DEPENDS ${TW_SETUP})
add_dependencies(tw_installer twpalm_help)
