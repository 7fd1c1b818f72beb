# Read by cpack as it runs. The package's files get the time of the sources, whatever the
# environment; the RPM carries its own program and licences in place of the .deb's and of what
# only a Debian system reads; the source archive is not installed under /usr.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SOURCE_DATE_EPOCH})
endif()
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_viewer_INSTALL_PROJECT}" "${CPACK_rpm_INSTALL_PROJECT}")
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
