# SPDX-License-Identifier: MIT
# The copyright file of the Debian package, in Debian's machine-readable form,
# written from LICENSE so that the license text stands in one place only.
# LICENSE holds a title line, one line "Copyright (c) <years> <holder>", then
# the license's paragraphs, separated by one blank line.
function(toolkit_debian_copyright license output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license})
  file(READ ${license} content)
  if(NOT content MATCHES "\nCopyright \\(c\\) ([^\n]+)\n+(.+)$")
    message(FATAL_ERROR "${license} has no line \"Copyright (c) <years> <holder>\" before its text")
  endif()
  set(notice ${CMAKE_MATCH_1})
  string(STRIP "${CMAKE_MATCH_2}" text)
  # A field's continuation lines begin with a blank; an empty line is " .".
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  # Expat is Debian's name for the license that SPDX calls MIT.
  file(WRITE ${output}
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: seismic-toolkit\n"
    "\n"
    "Files: *\n"
    "Copyright: ${notice}\n"
    "License: Expat\n"
    "Comment: The sources name this license by its SPDX identifier, MIT.\n"
    "\n"
    "License: Expat\n"
    " ${text}\n")
endfunction()
