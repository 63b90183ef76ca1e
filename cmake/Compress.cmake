# SPDX-License-Identifier: MIT
# Compresses one file as Debian installs documentation and manual pages:
# gzip at the highest level, with no file name or time stamp in the header, so
# that the same input always gives the same bytes.
#   cmake -D GZIP=<gzip> -D INPUT=<file> -D OUTPUT=<file.gz> -P Compress.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${GZIP} -9 -n -c
  INPUT_FILE ${INPUT}
  OUTPUT_FILE ${OUTPUT}.part
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "gzip could not compress ${INPUT}: ${status}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
