# Read by CPack, which runs as a process of its own, for every package it
# makes. Every time stamp in the packages is the last commit's, unless the
# builder sets SOURCE_DATE_EPOCH (as Debian's tools do): the same commit gives
# the same bytes whenever it is built. Outside a git checkout it is now.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_QUORVIN_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR epoch STREQUAL "")
    string(TIMESTAMP epoch "%s" UTC)
    message(STATUS "No git checkout: the package is stamped with the current time")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
endif()
