# The RPM: its own program, its licences, its changelog and CPack's settings for it. Included by
# packaging.cmake, after the viewer component's install rules.

# The RPM's program and the .deb's differ in one thing only: how freeglut is linked. The .deb's
# links Debian's libglut, as Debian's policy wants. RPM distributions know that library by
# another soname (libglut.so.3, Debian 12 by libglut.so.3.12), so the RPM's program links freeglut
# in from libglut.a and needs only what freeglut needs under its upstream names: libX11, libXi,
# libXxf86vm and the GL libraries the program needs anyway.
find_library(GLUT_STATIC_LIBRARY libglut.a)
find_package(X11 COMPONENTS Xi Xxf86vm)
find_file(FREEGLUT_LICENSE copyright PATHS /usr/share/doc/libglut-dev NO_DEFAULT_PATH)
if(NOT (GLUT_STATIC_LIBRARY AND X11_Xi_FOUND AND X11_Xxf86vm_FOUND AND FREEGLUT_LICENSE))
  message(STATUS "No RPM: it needs libglut.a and its licence (libglut-dev), libXi and libXxf86vm (libxi-dev, libxxf86vm-dev)")
  return()
endif()
add_library(freeglut_linked_in INTERFACE)
target_include_directories(freeglut_linked_in INTERFACE
  "$<TARGET_PROPERTY:GLUT::GLUT,INTERFACE_INCLUDE_DIRECTORIES>")
target_link_libraries(freeglut_linked_in INTERFACE ${GLUT_STATIC_LIBRARY} OpenGL::GLX X11::X11 X11::Xi X11::Xxf86vm m)
get_target_property(sources sierpinski-viewer SOURCES)
get_target_property(libraries sierpinski-viewer LINK_LIBRARIES)
list(REMOVE_ITEM libraries GLUT::GLUT)
add_executable(sierpinski-viewer-rpm ${sources})
# The archive first, so that the libraries it needs come after it on the linker's command line.
target_link_libraries(sierpinski-viewer-rpm PRIVATE freeglut_linked_in ${libraries})
set_target_properties(sierpinski-viewer-rpm PROPERTIES
  OUTPUT_NAME sierpinski-viewer RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/rpm)
install_program(sierpinski-viewer-rpm rpm)

# The licences, the project's and freeglut's, where RPM distributions keep them and marked so.
set(licenses ${CMAKE_INSTALL_DATADIR}/licenses/${PROJECT_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${licenses} COMPONENT rpm EXCLUDE_FROM_ALL)
install(FILES ${FREEGLUT_LICENSE} RENAME LICENSE.freeglut DESTINATION ${licenses} COMPONENT rpm EXCLUDE_FROM_ALL)
set(CPACK_RPM_USER_FILELIST
    "%license /usr/${licenses}/LICENSE" "%license /usr/${licenses}/LICENSE.freeglut")

# The changelog: every release of CHANGELOG.md (not what is unreleased), newest first, under its
# date and the maintainer, its lines as they stand ('%' doubled, as rpmbuild expands macros there).
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog_lines ENCODING UTF-8)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(rpm_changelog "")
set(separator "")
set(day_names Sun Mon Tue Wed Thu Fri Sat)
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(in_release OFF)
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^## ([0-9.]+) \\(([0-9]+)-([0-9]+)-([0-9]+)\\)$")
    set(version ${CMAKE_MATCH_1})
    set(date "${CMAKE_MATCH_4} ${CMAKE_MATCH_2}")
    math(EXPR y "${CMAKE_MATCH_2}")
    math(EXPR m "${CMAKE_MATCH_3}")
    math(EXPR d "${CMAKE_MATCH_4}")
    # The weekday of the date: days since 1970-01-01 (a Thursday), the year taken to begin in March.
    if(m LESS_EQUAL 2)
      math(EXPR y "${y} - 1")
    endif()
    math(EXPR days "365 * ${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + (153 * ((${m} + 9) % 12) + 2) / 5 + ${d} - 1 - 719468")
    math(EXPR weekday "(${days} + 4) % 7")
    list(GET day_names ${weekday} day_name)
    math(EXPR month_index "${m} - 1")
    list(GET month_names ${month_index} month_name)
    string(APPEND rpm_changelog "${separator}* ${day_name} ${month_name} ${date} ${PRODUCT_MAINTAINER} - ${version}-${CPACK_RPM_PACKAGE_RELEASE}\n")
    set(separator "\n")
    set(in_release ON)
  elseif(line MATCHES "^## ")
    set(in_release OFF)
  elseif(in_release AND NOT line STREQUAL "")
    string(REPLACE "%" "%%" line "${line}")
    string(APPEND rpm_changelog "${line}\n")
  endif()
endforeach()
set(CPACK_RPM_CHANGELOG_FILE ${packaging}/rpm-changelog)
file(WRITE ${CPACK_RPM_CHANGELOG_FILE} "${rpm_changelog}")

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Amusements/Graphics")
set(CPACK_RPM_PACKAGE_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_RELOCATABLE OFF) # installs under /usr alone (read by the RPM generator only)
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
# It owns only its own folders, has the times of SOURCE_DATE_EPOCH and no build host or build-id
# links in it.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/applications /usr/share/icons /usr/share/icons/hicolor
    /usr/share/icons/hicolor/48x48 /usr/share/icons/hicolor/48x48/apps
    /usr/share/icons/hicolor/256x256 /usr/share/icons/hicolor/256x256/apps
    /usr/share/icons/hicolor/scalable /usr/share/icons/hicolor/scalable/apps
    /usr/share/man /usr/share/man/man1 /usr/share/metainfo /usr/share/doc /usr/share/licenses)
set(CPACK_RPM_SPEC_MORE_DEFINE
    "%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible
%define _build_id_links none")
