# The Windows program's resources, made from the project's own sources: the icon at 16, 32, 48 and
# 256 pixels (packaging/icons, drawn by scripts/make-icon.sh) put together by icotool, the version
# information from project(), and the application manifest. Also the README.txt that the zip and
# the installer carry (scripts/windows.sh gives it Windows' line ends).
enable_language(RC)
find_program(ICOTOOL icotool REQUIRED)
set(resources ${CMAKE_CURRENT_BINARY_DIR}/windows-resources)
set(WINDOWS_ICON ${resources}/sierpinski-viewer.ico)
set(WINDOWS_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.manifest)
set(icons ${PROJECT_SOURCE_DIR}/packaging/icons/sierpinski-viewer)
# The 256-pixel image stays PNG inside the icon, as Windows reads it since Vista.
add_custom_command(OUTPUT ${WINDOWS_ICON}
  COMMAND ${ICOTOOL} --create --output=${WINDOWS_ICON} ${icons}-16.png ${icons}-32.png ${icons}-48.png
          --raw=${icons}-256.png
  DEPENDS ${icons}-16.png ${icons}-32.png ${icons}-48.png ${icons}-256.png VERBATIM)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.rc.in ${resources}/sierpinski-viewer.rc @ONLY)
target_sources(sierpinski-viewer PRIVATE ${resources}/sierpinski-viewer.rc)
set_source_files_properties(${resources}/sierpinski-viewer.rc PROPERTIES
  OBJECT_DEPENDS "${WINDOWS_ICON};${WINDOWS_MANIFEST}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${resources}/README.txt @ONLY)
