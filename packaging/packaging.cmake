# Install rules for the viewer alone (not the tests or tools), and a Debian package made by CPack,
# its dependencies computed by dpkg-shlibdeps from the executable's shared libraries. The version
# comes from project(); the dates in the manual page and the metainfo, and the times in the
# package, come from SOURCE_DATE_EPOCH, by default the time of the last commit, so that the same
# sources give the same package byte for byte.
include(GNUInstallDirs)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE no_git ERROR_QUIET)
  if(no_git OR NOT SOURCE_DATE_EPOCH)
    # A source release has no history, but its files carry the time of the commit it was made of.
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()
set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH}) # string(TIMESTAMP) reads it from there
string(TIMESTAMP MAN_DATE "%B %Y" UTC)
string(TIMESTAMP RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
# The upstream version and the packaging's own revision of it.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_PACKAGE_CONTACT "Veldmora maintainers <maintainers@veldmora.invalid>")

set(APPSTREAM_ID org.veldmora.sierpinski_viewer)
set(packaging ${CMAKE_CURRENT_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.1.in ${packaging}/sierpinski-viewer.1 @ONLY)
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

install(TARGETS sierpinski-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT viewer)
# Debian's strip leaves the compiler's .comment section in; a package does without it.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/sierpinski-viewer\")
  endif()" COMPONENT viewer)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT viewer)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps COMPONENT viewer)
install(FILES ${packaging}/sierpinski-viewer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT viewer)
install(FILES ${packaging}/${APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT viewer)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${packaging}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sierpinski-viewer COMPONENT viewer)
# What only the Debian package carries.
install(FILES ${packaging}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sierpinski-viewer
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides RENAME sierpinski-viewer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

# Takes away what the last `cmake --install` put in place, listed in install_manifest.txt.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake
  COMMENT "Removing the files listed in install_manifest.txt")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sierpinski-viewer)
set(CPACK_PACKAGE_VENDOR Veldmora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "viewer of the Sierpinski arrowhead curve and carpet, steered with the mouse")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens one window and draws, black on blue, the Sierpinski arrowhead curve or
the Sierpinski carpet. The left mouse button goes one level deeper, the right
one shallower, the middle one switches figure.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The package installs its components by name, so that CPack's installs write manifests of their
# own (install_manifest_<component>.txt) and leave that of `cmake --install` to the uninstall target.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};viewer;/" "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_SOURCE_DATE_EPOCH ${SOURCE_DATE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)
# `make package_source`: the working tree as it stands, without what is built or fetched.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME sierpinski-viewer-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/node_modules/" "^${PROJECT_SOURCE_DIR}/build/" "^${PROJECT_SOURCE_DIR}/gallery/")
include(CPack)
