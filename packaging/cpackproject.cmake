# Read by cpack before each package it builds.
if(CPACK_GENERATOR STREQUAL "DEB")
  # Without dpkg-shlibdeps CPack still builds the package, with no Depends at all:
  # apt would install it without Qt and the program would not start.
  find_program(TREMOLEX_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT TREMOLEX_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps is missing, so the package would list no "
                        "dependencies; install dpkg-dev.")
  endif()
endif()
