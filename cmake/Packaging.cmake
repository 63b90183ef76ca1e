# SPDX-License-Identifier: MIT
# Installation of the programs, their manual pages and the package's
# documentation under the usual GNU directories, and the Debian package built
# from that installation:
#
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake -G DEB -B build/package
#   cpack --config build/CPackSourceConfig.cmake -B build/package
#
# The package installs every program in /usr/bin, the manual pages,
# compressed, in /usr/share/man/man1 and man5, and the copyright, the
# changelog and the README in /usr/share/doc/seismic-toolkit; the record
# library is linked into each program and is not installed.
include(GNUInstallDirs)

set(TOOLKIT_PACKAGE_NAME seismic-toolkit)

# Every directory an installation creates is rwxr-xr-x, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Manual pages and documents are installed gzip-compressed at the highest
# level and without a name or a time stamp in the header (gzip -9n), so that
# the same sources always give the same bytes.
find_program(TOOLKIT_GZIP gzip REQUIRED)
set(TOOLKIT_DOCS_BINARY_DIR ${PROJECT_BINARY_DIR}/docs)
set(TOOLKIT_COMPRESSED_DOCS)
function(toolkit_compress input output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -D GZIP=${TOOLKIT_GZIP} -D INPUT=${input} -D OUTPUT=${output}
            -P ${PROJECT_SOURCE_DIR}/cmake/Compress.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/Compress.cmake
    VERBATIM)
  set(TOOLKIT_COMPRESSED_DOCS ${TOOLKIT_COMPRESSED_DOCS} ${output} PARENT_SCOPE)
endfunction()

install(TARGETS ${TOOLKIT_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# ---------------------------------------------------------------------------
# Manual pages. The sources in docs/man carry @PROJECT_VERSION@ in their title
# line; the build writes each page with the project's version in
# <build>/docs/man (where "man -l" reads it) and compresses it for installing.
# A missing page is reported by the test docs.manual_pages_present rather than
# here, so that a new program still builds.
# ---------------------------------------------------------------------------
set(TOOLKIT_MAN_DIR ${PROJECT_SOURCE_DIR}/docs/man)
set(TOOLKIT_BUILT_MAN_DIR ${TOOLKIT_DOCS_BINARY_DIR}/man)
# The page of the file formats, shared by all programs.
set(TOOLKIT_FILE_FORMATS_PAGE seismic-toolkit.5)

set(toolkit_pages)
foreach(program IN LISTS TOOLKIT_PROGRAMS)
  if(EXISTS ${TOOLKIT_MAN_DIR}/${program}.1)
    list(APPEND toolkit_pages ${program}.1)
  endif()
endforeach()
if(EXISTS ${TOOLKIT_MAN_DIR}/${TOOLKIT_FILE_FORMATS_PAGE})
  list(APPEND toolkit_pages ${TOOLKIT_FILE_FORMATS_PAGE})
endif()
foreach(page IN LISTS toolkit_pages)
  configure_file(${TOOLKIT_MAN_DIR}/${page} ${TOOLKIT_BUILT_MAN_DIR}/${page} @ONLY)
  toolkit_compress(${TOOLKIT_BUILT_MAN_DIR}/${page} ${TOOLKIT_BUILT_MAN_DIR}/${page}.gz)
  string(REGEX REPLACE "^.*\\.([1-9])$" "man\\1" section_dir ${page})
  install(FILES ${TOOLKIT_BUILT_MAN_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${section_dir})
endforeach()

# ---------------------------------------------------------------------------
# The package's documentation: the copyright in Debian's machine-readable
# form, the changelog made from NEWS.md, and the README.
# ---------------------------------------------------------------------------
# Without a maintainer of one's own, a placeholder in the top-level domain
# "invalid", which is reserved never to exist: a valid address that reaches
# nobody and says so.
set(toolkit_placeholder_maintainer "Seismic toolkit maintainers <maintainers@seismic-toolkit.invalid>")
# Build trees configured before 1.1.0 hold the old default, an address at
# localhost, which Debian's checker rejects: the placeholder takes its place.
if(TOOLKIT_PACKAGE_MAINTAINER STREQUAL "Seismic toolkit maintainers <seismic-toolkit@localhost>")
  unset(TOOLKIT_PACKAGE_MAINTAINER CACHE)
endif()
set(TOOLKIT_PACKAGE_MAINTAINER "${toolkit_placeholder_maintainer}"
  CACHE STRING "Maintainer field of the Debian package: name <address>")
if(TOOLKIT_PACKAGE_MAINTAINER STREQUAL toolkit_placeholder_maintainer)
  message(STATUS "Debian package maintainer: the placeholder ${TOOLKIT_PACKAGE_MAINTAINER}; "
                 "give yours with -DTOOLKIT_PACKAGE_MAINTAINER=\"Name <address>\"")
endif()

set(TOOLKIT_BUILT_DOC_DIR ${TOOLKIT_DOCS_BINARY_DIR}/doc)
set(toolkit_doc_destination ${CMAKE_INSTALL_DATAROOTDIR}/doc/${TOOLKIT_PACKAGE_NAME})

include(${PROJECT_SOURCE_DIR}/cmake/DebianCopyright.cmake)
toolkit_debian_copyright(${PROJECT_SOURCE_DIR}/LICENSE ${TOOLKIT_BUILT_DOC_DIR}/copyright)

add_custom_command(OUTPUT ${TOOLKIT_BUILT_DOC_DIR}/changelog
  COMMAND ${CMAKE_COMMAND} -D NEWS=${PROJECT_SOURCE_DIR}/NEWS.md -D OUTPUT=${TOOLKIT_BUILT_DOC_DIR}/changelog
          -D PACKAGE=${TOOLKIT_PACKAGE_NAME} -D MAINTAINER=${TOOLKIT_PACKAGE_MAINTAINER}
          -P ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/NEWS.md ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
  VERBATIM)
toolkit_compress(${TOOLKIT_BUILT_DOC_DIR}/changelog ${TOOLKIT_BUILT_DOC_DIR}/changelog.gz)
toolkit_compress(${PROJECT_SOURCE_DIR}/README.md ${TOOLKIT_BUILT_DOC_DIR}/README.md.gz)
install(FILES ${TOOLKIT_BUILT_DOC_DIR}/copyright ${TOOLKIT_BUILT_DOC_DIR}/changelog.gz
              ${TOOLKIT_BUILT_DOC_DIR}/README.md.gz
        DESTINATION ${toolkit_doc_destination})

add_custom_target(documentation ALL DEPENDS ${TOOLKIT_COMPRESSED_DOCS})

# Debian's package checker reports a statically linked program as an error
# unless the package says it is linked so on purpose. The note goes into the
# Debian package only ("debian" component), not into a plain installation.
if(TOOLKIT_STATIC_PROGRAMS)
  file(WRITE ${TOOLKIT_BUILT_DOC_DIR}/lintian-overrides
    "# Linked statically on purpose: the dynamic loader costs a dynamically\n"
    "# linked C++ program more time before main than a whole run of one of\n"
    "# these programs on a small input.\n"
    "${TOOLKIT_PACKAGE_NAME}: statically-linked-binary [usr/bin/*]\n")
  install(FILES ${TOOLKIT_BUILT_DOC_DIR}/lintian-overrides RENAME ${TOOLKIT_PACKAGE_NAME}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)
endif()

# ---------------------------------------------------------------------------
# The Debian package.
# ---------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TOOLKIT_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TOOLKIT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch programs for local earthquake data")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Small command-line programs, each one step of the processing of local\n"
  "earthquakes, run in a working directory that holds their input files:\n"
  "pickpair pairs phase picks into phase cards, stalist writes station lines,\n"
  "hypomean averages repeated location results, pathfix corrects an amplitude\n"
  "spectrum for spreading and attenuation, specfit fits the source spectrum of\n"
  "one station, levelmean averages the stations' levels of one event, mwcalc\n"
  "gives the seismic moment and moment magnitude, and colspace separates the\n"
  "columns of a fixed-column table.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # seismic-toolkit_<version>_<architecture>.deb
# The package installs under /usr, the Debian generator's own prefix. It is not
# set here, since CPACK_PACKAGING_INSTALL_PREFIX would also put the source
# release under a directory usr/.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
# The programs are stripped in the package; the build tree keeps them whole.
set(CPACK_STRIP_FILES ON)
# Everything a plain installation holds, and the "debian" component as well.
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
  "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")

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

# ---------------------------------------------------------------------------
# The source release, seismic-toolkit-<version>.tar.gz: the source tree
# without version control, build trees, scratch directories or packages made
# in it. Each pattern is anchored at the top of the source tree, so that a
# tree unpacked under a directory named build or scratch is still packed whole.
# ---------------------------------------------------------------------------
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME ${TOOLKIT_PACKAGE_NAME}-${PROJECT_VERSION})
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" toolkit_source_pattern "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_IGNORE_FILES)
foreach(pattern IN ITEMS
    "\\.git(/|$)"                  # version control (a directory, or a file in a work tree)
    "build(-[^/]*)?/"              # the build trees of the presets
    "scratch/"                     # the copies run-examples makes
    "_CPack_Packages/" "[^/]*\\.(deb|tar\\.gz|tar\\.bz2|zip)$"  # packages made in the tree
    "CMakeUserPresets\\.json$"     # a developer's own presets
    "(.*/)?\\.snakemake/" "(.*/)?__pycache__/" "\\.cache/"     # tools' scratch
    ".*~$" ".*\\.sw[op]$" ".*\\.orig$" ".*\\.rej$")            # editors' and patches' leftovers
  list(APPEND CPACK_SOURCE_IGNORE_FILES "^${toolkit_source_pattern}/${pattern}")
endforeach()
set(CPACK_VERBATIM_VARIABLES ON)

include(CPack)
