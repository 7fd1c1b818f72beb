# Read by cpack as it runs. The package's files get the time of the sources, whatever the
# environment; the RPM leaves out what only a Debian system reads; the source archive is not
# installed under /usr.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SOURCE_DATE_EPOCH})
endif()
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_VIEWER_INSTALL_PROJECT}")
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
