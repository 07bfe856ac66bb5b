# Run by CPack once it has made the Windows package. CPack's archives take
# owners, modes and entry order from the machine that builds them, so the
# package is written again from the staged files, by a tool that fixes them:
# Info-ZIP's zip, whose files a setup made with NSIS then installs.
# SHA256SUMS beside the packages names the results.
set(epoch $ENV{SOURCE_DATE_EPOCH})
set(staged ${CPACK_TEMPORARY_DIRECTORY})
list(GET CPACK_PACKAGE_FILES 0 package)

# Modes and times as if the build machine had no umask and no clock:
# folders and programs 755, everything else 644, every time the commit's.
function(settle tree)
  execute_process(COMMAND chmod -R u=rwX,go=rX ${tree} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND find ${tree} -exec touch -h -d @${epoch} {} +
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(REMOVE ${package})
if(CPACK_GENERATOR STREQUAL "ZIP")
  settle(${staged})
  file(GLOB_RECURSE files RELATIVE ${CPACK_TOPLEVEL_DIRECTORY} ${staged}/*)
  list(SORT files)
  # -X: no owners and no extra time stamps; -D: no folder entries. The one
  # time stamp zip keeps is local time, so the local time is UTC.
  set(ENV{TZ} UTC0)
  execute_process(COMMAND ${CPACK_QUORVIN_ZIP} -X -D -q ${package} ${files}
                  WORKING_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
  # The setup holds the same settled files, and its finish page's artwork
  # settled too: makensis keeps each file's time, and puts no time or folder
  # of its own into the setup.
  set(setup ${CPACK_PACKAGE_DIRECTORY}/quorvin-${CPACK_PACKAGE_VERSION}-setup.exe)
  set(artwork ${CPACK_TOPLEVEL_DIRECTORY}/artwork)
  file(REMOVE_RECURSE ${artwork})
  file(COPY ${CPACK_QUORVIN_BITMAP} DESTINATION ${artwork})
  settle(${artwork})
  get_filename_component(bitmap ${CPACK_QUORVIN_BITMAP} NAME)
  execute_process(COMMAND ${CPACK_QUORVIN_MAKENSIS} -V2 -INPUTCHARSET UTF8
                          -DVERSION=${CPACK_PACKAGE_VERSION} -DPUBLISHER=${CPACK_PACKAGE_VENDOR}
                          -DCOPYRIGHT=${CPACK_QUORVIN_COPYRIGHT} -DICON=${CPACK_QUORVIN_ICON}
                          -DBITMAP=${artwork}/${bitmap} -DSTAGED=${staged} -DOUTFILE=${setup}
                          ${CPACK_QUORVIN_NSI}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  list(PREPEND package ${setup})  # the order of their names
endif()

set(sums "")
foreach(file IN LISTS package)
  file(SHA256 ${file} sum)
  get_filename_component(name ${file} NAME)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sums}")
