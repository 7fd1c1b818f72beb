# Install rules for the viewer alone (not the tests or tools) and a Debian package made by CPack,
# its dependencies computed by dpkg-shlibdeps from the executable's shared libraries.
include(GNUInstallDirs)
install(TARGETS sierpinski-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sierpinski-viewer.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sierpinski-viewer)
set(CPACK_PACKAGE_VENDOR Veldmora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "viewer of the Sierpinski arrowhead curve and carpet, steered with the mouse")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens one window and draws, black on blue, the Sierpinski arrowhead curve or the Sierpinski
carpet. The left mouse button goes one level deeper, the right one shallower, the middle one
switches figure.")
set(CPACK_PACKAGE_CONTACT "Veldmora maintainers <maintainers@veldmora.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
