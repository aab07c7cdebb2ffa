# Run by cpack on the staged files before it packs them. Directories are made under the
# packager's umask, so a umask of 077 would ship /usr/share/doc/tremolex and the like
# readable by root alone; the install rules set the modes of files, this sets the rest.
file(GLOB_RECURSE tremolex_staged_dirs LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
set(tremolex_dirs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
foreach(path IN LISTS tremolex_staged_dirs)
  if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
    list(APPEND tremolex_dirs "${path}")
  endif()
endforeach()
file(CHMOD ${tremolex_dirs} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
