# The facts the program fixes, read from its own headers so that the page and the packages' texts
# say what the program does: TRIANGLE_MAX_DEPTH, CARPET_MAX_DEPTH, WINDOW_WIDTH, WINDOW_HEIGHT
# and WINDOW_TITLE.
function(read_program_fact header name pattern)
  file(STRINGS ${PROJECT_SOURCE_DIR}/src/viewer/${header} line REGEX "constexpr .* ${name} = ")
  if(NOT line MATCHES "${name} = ${pattern}")
    message(FATAL_ERROR "no ${name} found in src/viewer/${header}")
  endif()
  set(${name} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

read_program_fact(view_state.h TRIANGLE_MAX_DEPTH "([0-9]+)")
read_program_fact(view_state.h CARPET_MAX_DEPTH "([0-9]+)")
read_program_fact(window.h WINDOW_WIDTH "([0-9]+)")
read_program_fact(window.h WINDOW_HEIGHT "([0-9]+)")
read_program_fact(window.h WINDOW_TITLE "\"([^\"]*)\"")
