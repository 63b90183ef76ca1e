# Installation of the programs and their manual pages under the usual GNU
# directories, and the Debian package built from that installation:
#
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake -G DEB -B packages
#
# The package installs the six programs in /usr/bin and their manual pages in
# /usr/share/man/man1 and man5; the record library is linked statically and is
# not installed.
include(GNUInstallDirs)

# Every directory an installation creates is rwxr-xr-x, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(TOOLKIT_MAN_DIR ${PROJECT_SOURCE_DIR}/docs/man)
# The page of the file formats, shared by all programs.
set(TOOLKIT_FILE_FORMATS_PAGE seismic-toolkit.5)

install(TARGETS ${TOOLKIT_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# One section-1 page per program; a missing page is reported by the test
# docs.manual_pages_present rather than here, so that a new program still builds.
foreach(program IN LISTS TOOLKIT_PROGRAMS)
  if(EXISTS ${TOOLKIT_MAN_DIR}/${program}.1)
    install(FILES ${TOOLKIT_MAN_DIR}/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(EXISTS ${TOOLKIT_MAN_DIR}/${TOOLKIT_FILE_FORMATS_PAGE})
  install(FILES ${TOOLKIT_MAN_DIR}/${TOOLKIT_FILE_FORMATS_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
endif()

# ---------------------------------------------------------------------------
# The Debian package.
# ---------------------------------------------------------------------------
set(TOOLKIT_PACKAGE_MAINTAINER "Seismic toolkit maintainers <seismic-toolkit@localhost>"
  CACHE STRING "Maintainer field of the Debian package: name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME seismic-toolkit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TOOLKIT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch programs for local earthquake data")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Six small command-line programs, each one step of the processing of local\n"
  "earthquakes, run in a working directory that holds their input files:\n"
  "pickpair pairs phase picks into phase cards, stalist writes station lines,\n"
  "hypomean averages repeated location results, pathfix corrects an amplitude\n"
  "spectrum for spreading and attenuation, mwcalc gives the seismic moment and\n"
  "moment magnitude, and colspace separates the columns of a fixed-column table.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # seismic-toolkit_<version>_<architecture>.deb
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

# Statically linked programs (optimised builds) need no run-time library.
# Otherwise they need the C and C++ run-time libraries: dpkg-shlibdeps
# (package dpkg-dev) derives the exact versions from the binaries; without it
# the package states those of Debian 12, the oldest system it is built for.
find_program(TOOLKIT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TOOLKIT_STATIC_PROGRAMS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
elseif(TOOLKIT_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
endif()

# "make package_source" packs the sources, not build trees or scratch copies.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/" "/build-[^/]*/" "/scratch/")

include(CPack)
