# Removes every file a `cmake --install` listed in its manifest, and says what it did. Folders
# are left: others may share them.
#   cmake -DMANIFEST=build/install_manifest.txt -P uninstall.cmake
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "${MANIFEST} does not exist: nothing was installed from this build folder")
endif()
file(STRINGS "${MANIFEST}" files)
foreach(file IN LISTS files)
  if(EXISTS "$ENV{DESTDIR}${file}" OR IS_SYMLINK "$ENV{DESTDIR}${file}")
    message(STATUS "Removing $ENV{DESTDIR}${file}")
    file(REMOVE "$ENV{DESTDIR}${file}")
  else()
    message(STATUS "Already gone: $ENV{DESTDIR}${file}")
  endif()
endforeach()
file(REMOVE "${MANIFEST}")
