# The facts every text, script and page around the program repeats, each defined once: those the
# program fixes are read from its own headers (TRIANGLE_MAX_DEPTH, CARPET_MAX_DEPTH, WINDOW_WIDTH,
# WINDOW_HEIGHT, WINDOW_TITLE), GLUT's button numbers from GLUT's header, and the product's own
# (name, publisher, descriptions, artefact names) are set here. The build writes them for the
# scripts (product.sh) and for JavaScript (program_facts.mjs).
function(read_program_fact header name pattern)
  file(STRINGS ${PROJECT_SOURCE_DIR}/src/viewer/${header} line REGEX "constexpr .* ${name} = ")
  if(NOT line MATCHES "${name} = ${pattern}")
    message(FATAL_ERROR "no ${name} found in src/viewer/${header}")
  endif()
  set(${name} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

read_program_fact(view_state.h TRIANGLE_MAX_DEPTH "([0-9]+)")
read_program_fact(view_state.h CARPET_MAX_DEPTH "([0-9]+)")
read_program_fact(view_state.h FIGURE_ARROWHEAD "([0-9]+)")
read_program_fact(view_state.h FIGURE_CARPET "([0-9]+)")
read_program_fact(window.h WINDOW_WIDTH "([0-9]+)")
read_program_fact(window.h WINDOW_HEIGHT "([0-9]+)")
read_program_fact(window.h WINDOW_TITLE "\"([^\"]*)\"")

# The product as menus, app lists and package managers name it on every platform; the window
# keeps the program's own title.
set(PRODUCT_NAME "Sierpinski Viewer")
set(PRODUCT_PUBLISHER "Veldmora")
set(PRODUCT_MAINTAINER "Veldmora maintainers <maintainers@veldmora.invalid>")
# The one long description (PROJECT_DESCRIPTION is the one summary), for every package, in lines
# that fit a package manager's display.
set(PRODUCT_LONG_DESCRIPTION "Opens one window and draws, black on blue, the Sierpinski arrowhead curve
built inside a triangle, as open line strips (depth 0 to ${TRIANGLE_MAX_DEPTH}), or the Sierpinski
carpet, built on a rectangle, as filled quadrilaterals (depth 0 to ${CARPET_MAX_DEPTH}). The left
mouse button goes one level deeper, the right one shallower, the middle one
switches figure.")
# Debian's summaries begin in lower case.
string(SUBSTRING "${PROJECT_DESCRIPTION}" 0 1 first)
string(SUBSTRING "${PROJECT_DESCRIPTION}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(PRODUCT_SUMMARY_LOWER "${first}${rest}")
set(WINDOWS_ARTEFACT ${PROJECT_NAME}-${PROJECT_VERSION}-windows-x86_64)
# The MSI's UpgradeCode ties every version of the installer together: it must never change.
set(WINDOWS_UPGRADE_CODE 6F1D8A4C-3B2E-4E57-9C1A-5D0B7E2F8A63)

configure_file(${CMAKE_CURRENT_LIST_DIR}/product.sh.in ${CMAKE_BINARY_DIR}/product.sh @ONLY)

# For the page: GLUT's mouse buttons and states as Emscripten's GLUT defines them.
if(EMSCRIPTEN)
  find_file(GLUT_HEADER GL/glut.h REQUIRED)
  get_filename_component(glut_folder ${GLUT_HEADER} DIRECTORY)
  if(EXISTS ${glut_folder}/freeglut_std.h) # freeglut's glut.h only includes it
    set(GLUT_HEADER ${glut_folder}/freeglut_std.h)
  endif()
  file(READ ${GLUT_HEADER} glut_header)
  foreach(name GLUT_LEFT_BUTTON GLUT_MIDDLE_BUTTON GLUT_RIGHT_BUTTON GLUT_DOWN GLUT_UP)
    if(NOT glut_header MATCHES "#define[ \t]+${name}[ \t]+(0x[0-9A-Fa-f]+|[0-9]+)")
      message(FATAL_ERROR "no ${name} in ${GLUT_HEADER}")
    endif()
    math(EXPR ${name} "${CMAKE_MATCH_1}")
  endforeach()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/program_facts.mjs.in ${CMAKE_BINARY_DIR}/program_facts.mjs @ONLY)
endif()
