# What a developer shipping the product receives: the product version that
# the version resources, the help and the package names all take from
# project(), import libraries for the two DLLs, the installation tree of
# `cmake --install` and the ZIP package made from it.

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

# The import libraries of a DLL, both made from its own .def file, where -k
# drops the i686 stdcall "@n" from the imported names as --kill-at did for
# the DLL:
# - lib<name>.dll.a for mingw-w64, by GNU dlltool. It names the archive's
#   members after the output file, so it runs in the import folder with a
#   bare file name: no folder of the build machine ends up in the archive.
# - <name>.lib for Visual C++, by llvm-dlltool, in the short import format
#   of Microsoft's own librarian (on i686 "undecorate" imports: the caller's
#   _Name@8 imports Name). A GNU archive is no substitute: its members are
#   not SAFESEH-compatible, and a Win32 link with /SAFESEH (the default)
#   fails on it.
# Both tools write archives without time stamps or owners.
find_program(TW_LLVM_DLLTOOL NAMES llvm-dlltool-14 llvm-dlltool)
if(NOT TW_LLVM_DLLTOOL)
  message(FATAL_ERROR "llvm-dlltool was not found: the Visual C++ import libraries are made with it "
    "(on Debian: apt-get install llvm-14; ./scripts/test.sh installs it itself). Or point TW_LLVM_DLLTOOL at it.")
endif()
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(TW_LLVM_MACHINE i386)
else()
  set(TW_LLVM_MACHINE i386:x86-64)
endif()
function(tw_import_libraries target)
  set(def "$<FILTER:$<TARGET_PROPERTY:${target},SOURCES>,INCLUDE,\\.def$>")
  set(gnu ${TW_IMPORT_LIB}/lib${target}.dll.a)
  set(msvc ${TW_IMPORT_LIB}/${target}.lib)
  add_custom_command(OUTPUT ${gnu} ${msvc}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TW_IMPORT_LIB}
    COMMAND ${CMAKE_COMMAND} -E chdir ${TW_IMPORT_LIB}
      ${CMAKE_DLLTOOL} -d ${def} -D $<TARGET_FILE_NAME:${target}> -k -l lib${target}.dll.a
    COMMAND ${CMAKE_COMMAND} -E chdir ${TW_IMPORT_LIB}
      ${TW_LLVM_DLLTOOL} -m ${TW_LLVM_MACHINE} -d ${def} -D $<TARGET_FILE_NAME:${target}> -k -l ${target}.lib
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

set(TW_PACKAGE_FILE_NAME ${TW_PACKAGE_BASENAME}-${TW_PACKAGE_SYSTEM})
set(TW_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/package/${TW_PACKAGE_FILE_NAME}.zip)

# The build itself makes the ZIP (cmake/make_zip.cmake: the installation tree
# in a folder of the package's name, the same bytes for the same commit).
# The shipping files are built first; the install step must not build "all"
# again, which would include this.
find_program(TW_ZIP zip)
if(NOT TW_ZIP)
  message(FATAL_ERROR "zip was not found: the package is made with it "
    "(on Debian: apt-get install zip; ./scripts/test.sh installs it itself). Or point TW_ZIP at it.")
endif()
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(tw_zip_package ALL
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DNAME=${TW_PACKAGE_FILE_NAME} -DOUTPUT=${TW_PACKAGE_ZIP} -DZIP=${TW_ZIP}
    -P ${PROJECT_SOURCE_DIR}/cmake/make_zip.cmake
  BYPRODUCTS ${TW_PACKAGE_ZIP}
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
# makensis stores each file's time: it packs copies that carry the commit's
# time (cmake/stage_files.cmake), so the installer's bytes follow the commit.
set(TW_INSTALLER_FILES ${PROJECT_BINARY_DIR}/installer-files)
add_custom_command(OUTPUT ${TW_SETUP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DSTAGE=${TW_INSTALLER_FILES}
    "-DFILES=$<TARGET_FILE:twpalm>;$<TARGET_FILE:twpalmui>;${TW_BIN}/twpalm.chm;${TW_INSTALLER_REDIST}/twdate.dll;${TW_INSTALLER_REDIST}/twtask.dll;${TW_INSTALLER_REDIST}/CondMgr.dll"
    -P ${PROJECT_SOURCE_DIR}/cmake/stage_files.cmake
  COMMAND ${TW_MAKENSIS} -V2 -NOCD
    -DTW_VERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
    -DTW_TARGET=${TW_NSIS_TARGET}
    -DTW_BIN=${TW_INSTALLER_FILES}
    -DTW_REDIST=${TW_INSTALLER_FILES}
    -DTW_ICON=${PROJECT_SOURCE_DIR}/resources/art/product.ico
    -DTW_OUTFILE=${TW_SETUP}
    ${TW_NSIS_SCRIPT}
  DEPENDS ${TW_NSIS_SCRIPT} twpalm twpalmui ${TW_BIN}/twpalm.chm ${TW_INSTALLER_REDIST_DEPENDS}
  COMMENT "Building the installer ${TW_SETUP}"
  VERBATIM)
add_custom_target(tw_installer ALL DEPENDS ${TW_SETUP})
add_dependencies(tw_installer twpalm_help)
