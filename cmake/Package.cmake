# The packages of the Windows build, made by the target "package" (scripts/package):
#   package/Brivolex-Setup-<version>.exe        the installer (NSIS, installer/)
#   package/Brivolex-<version>-portable.zip     the same program folder, for a USB stick
# Both hold package/Brivolex/, the program folder laid out by cmake/StagePackage.cmake.
find_program(BRIVOLEX_MAKENSIS makensis)
find_program(BRIVOLEX_ZIP zip)
set(BRIVOLEX_UPDATE_SOURCE "" CACHE STRING
    "update_source of the updatesetup.ini the packages ship (empty: set by the administrator)")

set(BRIVOLEX_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(BRIVOLEX_PACKAGE_STAGE ${BRIVOLEX_PACKAGE_DIR}/Brivolex)
set(BRIVOLEX_SETUP ${BRIVOLEX_PACKAGE_DIR}/Brivolex-Setup-${PROJECT_VERSION}.exe)
set(BRIVOLEX_PORTABLE_ZIP ${BRIVOLEX_PACKAGE_DIR}/Brivolex-${PROJECT_VERSION}-portable.zip)

if(BRIVOLEX_MAKENSIS AND BRIVOLEX_ZIP)
  add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${BRIVOLEX_PACKAGE_STAGE} -DPROGRAM_DIR=${BRIVOLEX_OUT}
            -DSOURCE_DIR=${CMAKE_SOURCE_DIR} "-DUPDATE_SOURCE=${BRIVOLEX_UPDATE_SOURCE}"
            -DUNINSTALL_LIST=${BRIVOLEX_PACKAGE_DIR}/UninstallFiles.nsh
            -P ${CMAKE_SOURCE_DIR}/cmake/StagePackage.cmake
    COMMAND ${BRIVOLEX_MAKENSIS} -V2 -NOCD -DVERSION=${PROJECT_VERSION}
            -DSTAGE=${BRIVOLEX_PACKAGE_STAGE} -DOUTFILE=${BRIVOLEX_SETUP}
            -DUNINSTALL_LIST=${BRIVOLEX_PACKAGE_DIR}/UninstallFiles.nsh
            -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
            ${CMAKE_SOURCE_DIR}/installer/Brivolex.nsi
    COMMAND ${CMAKE_COMMAND} -E rm -f ${BRIVOLEX_PORTABLE_ZIP}
    COMMAND ${BRIVOLEX_ZIP} -q -r -X ${BRIVOLEX_PORTABLE_ZIP} Brivolex
    WORKING_DIRECTORY ${BRIVOLEX_PACKAGE_DIR}
    BYPRODUCTS ${BRIVOLEX_SETUP} ${BRIVOLEX_PORTABLE_ZIP}
    COMMENT "Packaging Brivolex ${PROJECT_VERSION}: the installer and the portable zip"
    VERBATIM)
  add_dependencies(package Brivolex brivolex-cli DUzovoz)
  file(MAKE_DIRECTORY ${BRIVOLEX_PACKAGE_DIR})
else()
  message(STATUS "makensis or zip is missing (scripts/install-deps installs them): no target package")
endif()
