# SOURCE_DATE_EPOCH for everything the project packs: from the environment if set, else the last
# commit's time, from git where SOURCE_DIR is a checkout of this repository (never of one that
# merely encloses it), else from packaging/commit-time, which `git archive` fills in for a source
# release, so that unpacking it (with tar -m, say) cannot change it.
# Included with SOURCE_DIR set; `cmake -DSOURCE_DIR=... -P source_date_epoch.cmake` prints it.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  set(SOURCE_DATE_EPOCH "")
  execute_process(COMMAND git -C ${SOURCE_DIR} rev-parse --show-toplevel
                  OUTPUT_VARIABLE git_top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE no_git ERROR_QUIET)
  if(NOT no_git)
    file(REAL_PATH "${git_top}" git_top)
    file(REAL_PATH "${SOURCE_DIR}" source_top)
    if(git_top STREQUAL source_top)
      execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                      OUTPUT_VARIABLE SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
  endif()
  if(NOT SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/commit-time SOURCE_DATE_EPOCH LIMIT_COUNT 1)
  endif()
  if(NOT SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(WARNING "Neither a git checkout of this project nor a source release made by git archive: "
                    "the packages take their dates from CMakeLists.txt's modification time. "
                    "Set SOURCE_DATE_EPOCH to choose them.")
    file(TIMESTAMP ${SOURCE_DIR}/CMakeLists.txt SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()
if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${SOURCE_DATE_EPOCH}")
endif()
