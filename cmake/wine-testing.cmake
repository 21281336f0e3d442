# Running the Windows build's tests under Wine: every test program runs
# through <build>/wine-run.sh, which finds Qt's libraries and the compiler's
# run-time libraries where they are.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
  get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(qt_bin "${qt_core_dll}" DIRECTORY)
set(wine_dirs "${qt_bin}")
foreach(dll IN LISTS BIORHYTHM_RUNTIME_DLLS)
  get_filename_component(dir "${dll}" DIRECTORY)
  list(APPEND wine_dirs "${dir}")
endforeach()
list(REMOVE_DUPLICATES wine_dirs)
# Wine's search path holds Windows paths: Z: is the root of the Unix files.
list(TRANSFORM wine_dirs PREPEND "Z:")
list(TRANSFORM wine_dirs REPLACE "/" "\\\\")
list(JOIN wine_dirs ";" BIORHYTHM_WINEPATH)
set(BIORHYTHM_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# The prefix is made once, at build time, so that no test waits for it.
add_custom_command(OUTPUT ${BIORHYTHM_WINEPREFIX}/system.reg
                   COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh cmd /c exit
                   COMMENT "Wine prefix for the tests")
add_custom_target(wine_prefix ALL DEPENDS ${BIORHYTHM_WINEPREFIX}/system.reg)
