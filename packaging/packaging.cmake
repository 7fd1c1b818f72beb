# Install rules for the viewer alone (not the tests or tools), and its Debian and RPM packages made
# by CPack, their dependencies worked out from the executable's shared libraries (dpkg-shlibdeps,
# rpmbuild). The version comes from project(); the dates in the manual page and the metainfo, and
# the times in the packages, come from SOURCE_DATE_EPOCH, by default the time of the last commit,
# so that the same sources give the same packages byte for byte.
include(GNUInstallDirs)

set(SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH}) # string(TIMESTAMP) reads it from there
string(TIMESTAMP MAN_DATE "%B %Y" UTC)
string(TIMESTAMP RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
# The upstream version and the packaging's own revision of it.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_PACKAGE_CONTACT "${PRODUCT_MAINTAINER}")

set(APPSTREAM_ID org.veldmora.sierpinski_viewer)
set(packaging ${CMAKE_CURRENT_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.1.in ${packaging}/sierpinski-viewer.1 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.desktop.in ${packaging}/sierpinski-viewer.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in ${packaging}/changelog.Debian @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.metainfo.xml.in
               ${packaging}/${APPSTREAM_ID}.metainfo.xml @ONLY)
# Compressed as Debian wants them, without a name or time in the gzip header: the manual page,
# the project's changelog and the package's own.
foreach(page sierpinski-viewer.1 changelog changelog.Debian)
  set(source ${packaging}/${page})
  if(page STREQUAL "changelog")
    set(source ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
  endif()
  add_custom_command(OUTPUT ${packaging}/${page}.gz
    COMMAND gzip -9n --stdout ${source} > ${packaging}/${page}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${packaging}/${page}.gz)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${compressed})

# A program of the packages, installed as sierpinski-viewer in component COMPONENT. Debian's strip
# leaves the compiler's .comment section in; a package does without it.
function(install_program target component)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component} ${ARGN})
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/sierpinski-viewer\")
    endif()" COMPONENT ${component} ${ARGN})
endfunction()
# What `cmake --install` and the .deb carry: the program linked to the system's freeglut, and
# the licence in Debian's form. The RPM has its own of both (rpm.cmake).
install_program(sierpinski-viewer program)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sierpinski-viewer
        COMPONENT program)
# What both packages carry.
install(FILES ${packaging}/sierpinski-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT viewer)
foreach(size 48 256)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/sierpinski-viewer-${size}.png RENAME sierpinski-viewer.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT viewer)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/sierpinski-viewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT viewer)
install(FILES ${packaging}/sierpinski-viewer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT viewer)
install(FILES ${packaging}/${APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT viewer)
install(FILES ${packaging}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sierpinski-viewer COMPONENT viewer)
# What only the Debian package carries.
install(FILES ${packaging}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sierpinski-viewer
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides RENAME sierpinski-viewer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

# What `cmake --install` put in place, one path a line, for the uninstall target. CMake's own
# install_manifest.txt is a CMake list written an element a line, which breaks a path with ';' in
# two; here the paths are cut apart only where the next one begins with the install prefix.
# CPack's installs leave it alone: they install the viewer and debian components only.
install(CODE "set(INSTALLED_FILES \"${CMAKE_BINARY_DIR}/installed_files.txt\")" COMPONENT manifest)
install(CODE [[
  string(LENGTH "$ENV{DESTDIR}" destdir_length)
  list(JOIN CMAKE_INSTALL_MANIFEST_FILES ";" joined)
  string(REPLACE ";$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/" "\n${CMAKE_INSTALL_PREFIX}/" paths "${joined}")
  string(SUBSTRING "${paths}" ${destdir_length} -1 paths)
  file(WRITE "${INSTALLED_FILES}" "${paths}\n")
]] COMPONENT manifest)

# Takes away what the last `cmake --install` put in place, listed in installed_files.txt.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/installed_files.txt
          -P ${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake
  COMMENT "Removing the files listed in installed_files.txt" VERBATIM)

# Installing (and so cpack) builds nothing by itself: scripts/package.sh builds just what the
# packages hold, on every core, rather than every target of the project on one.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "${PRODUCT_PUBLISHER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PRODUCT_SUMMARY_LOWER}")
set(CPACK_PACKAGE_DESCRIPTION "${PRODUCT_LONG_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The packages install their components by name, so that CPack's installs leave the list of
# `cmake --install` (installed_files.txt) to the uninstall target.
foreach(component viewer program debian rpm)
  set(CPACK_${component}_INSTALL_PROJECT "${CMAKE_BINARY_DIR};${PROJECT_NAME};${component};/")
endforeach()
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CPACK_viewer_INSTALL_PROJECT}" "${CPACK_program_INSTALL_PROJECT}" "${CPACK_debian_INSTALL_PROJECT}")
set(CPACK_SOURCE_DATE_EPOCH ${SOURCE_DATE_EPOCH})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/cpack_file_times.cmake)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)
# `make package_source`: the working tree as it stands, without what is built or fetched.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME sierpinski-viewer-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/node_modules/" "^${PROJECT_SOURCE_DIR}/build/" "^${PROJECT_SOURCE_DIR}/gallery/")
include(${CMAKE_CURRENT_LIST_DIR}/rpm.cmake)
include(CPack)
