# Installing: the game where the system keeps games, its manual pages in English and Japanese,
# a menu entry that opens it in a terminal, its icon and what software centres show. A plain
# install leaves the manual pages as they are and brings no copyright file of its own, as a
# distribution's packaging expects; the Debian package that CPack makes compresses them and
# adds the copyright file and the changelog, as Debian's policy asks.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/source_date.cmake)

set(KURENAGI_INSTALL_GAMESDIR games CACHE STRING
    "Where the game is installed, relative to the prefix (or absolute)")
option(KURENAGI_DEBIAN_DOCUMENTS
       "Install as the Debian package wants: compressed manual pages, copyright and changelog" OFF)

# Folders as Debian wants them, whatever the umask of whoever builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The folders an install makes, written down before anything is installed, so that
# uninstall.cmake takes away exactly what the install added and leaves every folder that was
# there before.
set(KURENAGI_INSTALL_FOLDERS ${KURENAGI_INSTALL_GAMESDIR} ${CMAKE_INSTALL_MANDIR}/man6
    ${CMAKE_INSTALL_MANDIR}/ja/man6 ${CMAKE_INSTALL_DATADIR}/applications
    ${CMAKE_INSTALL_DATADIR}/metainfo ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
if(KURENAGI_DEBIAN_DOCUMENTS)
  list(APPEND KURENAGI_INSTALL_FOLDERS ${CMAKE_INSTALL_DOCDIR})
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/install_folders.cmake.in
               ${CMAKE_BINARY_DIR}/install_folders.cmake @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake.in ${CMAKE_BINARY_DIR}/uninstall.cmake @ONLY)
install(SCRIPT ${CMAKE_BINARY_DIR}/install_folders.cmake)

install(TARGETS kurenagi RUNTIME DESTINATION ${KURENAGI_INSTALL_GAMESDIR})

# The manual pages carry the release's version and day.
set(documents "")
foreach(page IN ITEMS man/kurenagi.6 man/ja/kurenagi.6)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${page})
  file(READ ${page} text)
  string(REGEX REPLACE "^\\.TH KURENAGI 6 [^ ]+ \"kurenagi [^\"]*\""
         ".TH KURENAGI 6 ${KURENAGI_SOURCE_DAY} \"kurenagi ${PROJECT_VERSION}\"" text "${text}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/${page} CONTENT "${text}" @ONLY)
  list(APPEND documents ${CMAKE_BINARY_DIR}/${page})
endforeach()
if(KURENAGI_DEBIAN_DOCUMENTS)
  # Compressed with no time stamp in them.
  configure_file(packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog COPYONLY)
  list(APPEND documents ${CMAKE_BINARY_DIR}/packaging/changelog)
  list(TRANSFORM documents APPEND .gz OUTPUT_VARIABLE compressed)
  foreach(document IN LISTS documents)
    add_custom_command(OUTPUT ${document}.gz COMMAND gzip -9nkf ${document} DEPENDS ${document}
                       VERBATIM)
  endforeach()
  add_custom_target(compressed_documents ALL DEPENDS ${compressed})
  set(documents ${compressed})
  install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
list(GET documents 0 english_page)
list(GET documents 1 japanese_page)
install(FILES ${english_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${japanese_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man6)
install(FILES packaging/kurenagi.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# What software centres show, with a release for each entry of the changelog.
file(STRINGS packaging/changelog changelog REGEX "^(kurenagi \\(| -- )")
set(KURENAGI_RELEASES "")
foreach(line IN LISTS changelog)
  if(line MATCHES "^kurenagi \\(([^)]+)\\)")
    set(release_version ${CMAKE_MATCH_1})
  else()
    string(REGEX REPLACE "^.*>  " "" release_date "${line}")
    execute_process(COMMAND date -u -d "${release_date}" +%F OUTPUT_VARIABLE release_day
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(APPEND KURENAGI_RELEASES
      "    <release version=\"${release_version}\" date=\"${release_day}\"/>\n")
  endif()
endforeach()
string(REGEX REPLACE "\n$" "" KURENAGI_RELEASES "${KURENAGI_RELEASES}")
set(metainfo ${CMAKE_BINARY_DIR}/invalid.kurenagi.kurenagi.metainfo.xml)
configure_file(packaging/kurenagi.metainfo.xml.in ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/kurenagi.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The Debian package. The maintainer is the package preset's, unless its configure line names
# another.
set(KURENAGI_MAINTAINER "kurenagi developers <maintainers@kurenagi.invalid>"
    CACHE STRING "Name and e-mail address of the package maintainer")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kurenagi)
set(CPACK_PACKAGE_CONTACT ${KURENAGI_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese school-horror story for the text console")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Chapter one of a school mystery, in Japanese. A pupil slips into the school\n"
  "at night, explores two corridors and classroom 2-a, sees something at the\n"
  "window, finds the library key and meets a stranger. Enter moves the story on,\n"
  "menus take numbers, and the player's names are woven into the lines.\n"
  "The text is Shift_JIS inside, shown in the terminal's own encoding.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(reproducible ${CMAKE_BINARY_DIR}/cpack_reproducible.cmake)
file(WRITE ${reproducible} "set(ENV{SOURCE_DATE_EPOCH} ${KURENAGI_SOURCE_DATE})\n")
set(CPACK_PROJECT_CONFIG_FILE ${reproducible})
# The source tarball is `cmake --workflow --preset dist` (cmake/dist.cmake), never CPack's.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
