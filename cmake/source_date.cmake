# The one date of a release: every time stamp the build writes (the Debian package, the Windows
# zip and its program, the manual pages, the source tarball) is this one, so that the same
# sources give the same bytes from a git clone, from the tarball, or from a tarball unpacked
# inside some other repository. A SOURCE_DATE_EPOCH given by the caller wins; otherwise the
# newest entry of packaging/changelog, whose trailer line ends in its date after two spaces.
#
# Sets KURENAGI_SOURCE_DATE (seconds since 1970) and KURENAGI_SOURCE_DAY (YYYY-MM-DD, UTC).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KURENAGI_SOURCE_DATE $ENV{SOURCE_DATE_EPOCH})
else()
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog trailers REGEX "^ -- ")
  list(GET trailers 0 newest)
  string(REGEX REPLACE "^.*>  " "" newest_date "${newest}")
  execute_process(COMMAND date -u -d "${newest_date}" +%s
                  OUTPUT_VARIABLE KURENAGI_SOURCE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
execute_process(COMMAND date -u -d @${KURENAGI_SOURCE_DATE} +%F
                OUTPUT_VARIABLE KURENAGI_SOURCE_DAY OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
