# Run by CPack once it has made the package. CPack's archives take owners,
# modes and entry order from the machine that builds them (its Debian package
# even the umask), so the package is written again from the staged files, by
# a tool that fixes them: dpkg-deb for the Debian package, Info-ZIP's zip for
# the Windows one. SHA256SUMS beside the package then names the result.
set(epoch $ENV{SOURCE_DATE_EPOCH})
set(staged ${CPACK_TEMPORARY_DIRECTORY})
list(GET CPACK_PACKAGE_FILES 0 package)
get_filename_component(package_name ${package} NAME)

# Modes and times as if the build machine had no umask and no clock:
# folders and programs 755, everything else 644, every time the commit's.
function(settle tree)
  execute_process(COMMAND chmod -R u=rwX,go=rX ${tree} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND find ${tree} -exec touch -h -d @${epoch} {} +
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(REMOVE ${package})
if(CPACK_GENERATOR STREQUAL "DEB")
  set(root ${CPACK_TOPLEVEL_DIRECTORY}/dpkg-deb-root)
  file(REMOVE_RECURSE ${root})
  file(COPY ${staged}/usr DESTINATION ${root})
  file(COPY ${staged}/control DESTINATION ${root}/DEBIAN)
  # CPack lists the sums in the order it found the files.
  file(STRINGS ${staged}/md5sums sums)
  list(SORT sums)
  list(JOIN sums "\n" sums)
  file(WRITE ${root}/DEBIAN/md5sums "${sums}\n")
  settle(${root})
  if(NOT CPACK_QUORVIN_DPKG_DEB)
    message(FATAL_ERROR "dpkg-deb is needed to write the Debian package")
  endif()
  # With SOURCE_DATE_EPOCH set, dpkg-deb stamps the ar members with it too.
  execute_process(COMMAND ${CPACK_QUORVIN_DPKG_DEB} --root-owner-group -Zxz --build ${root} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
else()
  settle(${staged})
  file(GLOB_RECURSE files RELATIVE ${CPACK_TOPLEVEL_DIRECTORY} ${staged}/*)
  list(SORT files)
  # -X: no owners and no extra time stamps; -D: no folder entries. The one
  # time stamp zip keeps is local time, so the local time is UTC.
  set(ENV{TZ} UTC0)
  execute_process(COMMAND ${CPACK_QUORVIN_ZIP} -X -D -q ${package} ${files}
                  WORKING_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY} COMMAND_ERROR_IS_FATAL ANY)
endif()

file(SHA256 ${package} sum)
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sum}  ${package_name}\n")
