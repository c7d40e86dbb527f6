# cmake -DSTAGE=DIR -DPROGRAM_DIR=DIR -DSOURCE_DIR=DIR -DUPDATE_SOURCE=TEXT
#       -DUNINSTALL_LIST=FILE -P StagePackage.cmake
# Lays out the program folder the packages hold, from the build's programs and the
# sources' files (never the build's bin/ as a whole: the tests leave logs, options and
# language notes there), and writes the uninstaller's list of those files.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/languages ${STAGE}/backup)
foreach(program IN ITEMS Brivolex.exe brivolex-cli.exe DUzovoz.exe)
  file(COPY ${PROGRAM_DIR}/${program} DESTINATION ${STAGE})
endforeach()
file(GLOB languages ${SOURCE_DIR}/languages/*.txt)
file(COPY ${languages} DESTINATION ${STAGE}/languages)
file(GLOB pictures ${SOURCE_DIR}/assets/*.gif)
file(COPY ${pictures} DESTINATION ${STAGE})
# The updater's settings (ANSI, CR LF): where updates come from. last_version is the
# updater's own to write.
file(WRITE ${STAGE}/updatesetup.ini "update_source=${UPDATE_SOURCE}\r\n")

# The uninstaller deletes exactly these files, then the folders once they are empty.
file(GLOB_RECURSE staged RELATIVE ${STAGE} ${STAGE}/*)
list(SORT staged)
set(lines "; Written by cmake/StagePackage.cmake: the files the installer puts in place.\n")
foreach(path IN LISTS staged)
  string(REPLACE "/" "\\" path "${path}")
  string(APPEND lines "Delete \"$INSTDIR\\${path}\"\n")
endforeach()
file(WRITE ${UNINSTALL_LIST} "${lines}")
