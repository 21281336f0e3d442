# Installs the program's folder, stripped, into STAGE, writes the lists of
# its files for the installer (install-files.nsh, uninstall-files.nsh in
# FILE_LISTS) and packs the folder into ZIP.
#
#   cmake -D BUILD_DIR=… -D STAGE=… -D FILE_LISTS=… -D ZIP=… -P stage.cmake
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${STAGE}" --strip
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# The uninstaller removes exactly what the installer put there: each file,
# then each folder, deepest first, and only while it is empty.
file(GLOB_RECURSE files RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT files)
set(install "")
set(uninstall "")
set(folders "")
foreach(file IN LISTS files)
  string(REPLACE "/" "\\" windows_file "${file}")
  get_filename_component(folder "${file}" DIRECTORY)
  string(REPLACE "/" "\\" windows_folder "${folder}")
  if(folder)
    set(out "$INSTDIR\\${windows_folder}")
  else()
    set(out "$INSTDIR")
  endif()
  string(APPEND install "SetOutPath \"${out}\"\nFile \"${STAGE}/${file}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\${windows_file}\"\n")
  if(folder)
    list(APPEND folders "${windows_folder}")
  endif()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  string(APPEND uninstall "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
string(APPEND install "SetOutPath \"$INSTDIR\"\n")
file(WRITE "${FILE_LISTS}/install-files.nsh" "${install}")
file(WRITE "${FILE_LISTS}/uninstall-files.nsh" "${uninstall}")

# The zip holds the folder itself, so that unpacking it makes one folder.
get_filename_component(parent "${STAGE}" DIRECTORY)
get_filename_component(folder "${STAGE}" NAME)
file(REMOVE "${ZIP}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip -- "${folder}"
                WORKING_DIRECTORY "${parent}" COMMAND_ERROR_IS_FATAL ANY)
