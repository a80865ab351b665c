# Installation, the portable archive and the Debian package.
#
# cmake --install <build> --prefix <prefix> puts
#   <prefix>/lib/ToviraWatch/     the program folder: ToviraWatch, tick.wav, ToviraWatch.ini, LICENSE
#   <prefix>/bin/tovirawatch      a relative link to the program
#   <prefix>/share/applications/, share/metainfo/, share/icons/hicolor/
# The program finds its settings and tick.wav beside its resolved executable, so it
# keeps them in the program folder whichever way it is started.
#
# cpack -G TGZ packs the program folder alone, runnable wherever it is unpacked.
# cpack -G DEB builds the package "tovirawatch": the same files under /usr, with
# the program folder at /usr/lib/tovirawatch/, where no user may write, so each
# user's settings go to their own copy.

set(TOVIRA_APP_ID io.github.tovirawatch.ToviraWatch)
set(TOVIRA_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# The program folder at `destination`; further arguments (COMPONENT, EXCLUDE_FROM_ALL)
# go to every rule. The default settings are placed only where there are none yet:
# installing again, or upgrading, keeps what the user has saved.
function(tovira_install_program_folder destination)
  install(TARGETS ToviraWatch RUNTIME DESTINATION ${destination} ${ARGN})
  install(FILES ${CMAKE_SOURCE_DIR}/resources/sounds/tick.wav ${CMAKE_SOURCE_DIR}/LICENSE
          DESTINATION ${destination} ${ARGN})
  install(CODE "
    set(SOURCE \"${CMAKE_SOURCE_DIR}/resources/settings/ToviraWatch.ini\")
    set(DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/ToviraWatch.ini\")
    message(STATUS \"Installing if absent: \${DESTINATION}\")
    include(\"${CMAKE_SOURCE_DIR}/resources/settings/copy_if_absent.cmake\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${DESTINATION}\")
  " ${ARGN})
endfunction()

# The launcher bin/tovirawatch for the program folder `folder` (relative to the
# prefix), the menu entry, the metainfo and the icons. `launcher` is the path the
# menu entry names: empty for <prefix>/bin/tovirawatch as installed.
function(tovira_install_desktop_files folder launcher component)
  # A relative link, so the installed tree can be moved as a whole.
  set(link ${CMAKE_CURRENT_BINARY_DIR}/packaging/${component}/tovirawatch)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging/${component})
  file(CREATE_LINK ../${folder}/ToviraWatch ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION bin COMPONENT ${component} ${ARGN})

  if(NOT launcher)
    set(launcher "\${CMAKE_INSTALL_PREFIX}/bin/tovirawatch")
  endif()
  install(CODE "
    set(TEMPLATE \"${TOVIRA_PACKAGING_DIR}/${TOVIRA_APP_ID}.desktop.in\")
    set(LAUNCHER \"${launcher}\")
    set(DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/${TOVIRA_APP_ID}.desktop\")
    include(\"${TOVIRA_PACKAGING_DIR}/write_desktop_entry.cmake\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${DESTINATION}\")
  " COMPONENT ${component} ${ARGN})
  install(FILES ${TOVIRA_PACKAGING_DIR}/${TOVIRA_APP_ID}.metainfo.xml DESTINATION share/metainfo
          COMPONENT ${component} ${ARGN})
  foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/images/icon_${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${TOVIRA_APP_ID}.png
            COMPONENT ${component} ${ARGN})
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/resources/images/icon.svg
          DESTINATION share/icons/hicolor/scalable/apps RENAME ${TOVIRA_APP_ID}.svg COMPONENT ${component} ${ARGN})
endfunction()

set(TOVIRA_PROGRAM_FOLDER lib/ToviraWatch)
tovira_install_program_folder(${TOVIRA_PROGRAM_FOLDER} COMPONENT program)
tovira_install_desktop_files(${TOVIRA_PROGRAM_FOLDER} "" program)

# The portable archive: the program folder as the archive's one top directory.
tovira_install_program_folder(ToviraWatch COMPONENT portable EXCLUDE_FROM_ALL)

# The Debian package's files. It always installs under /usr, so the menu entry
# names the launcher there, not in cpack's staging folder.
set(TOVIRA_DEB_FOLDER lib/tovirawatch)
set(TOVIRA_DEB_DOC share/doc/tovirawatch)
tovira_install_program_folder(${TOVIRA_DEB_FOLDER} COMPONENT debian EXCLUDE_FROM_ALL)
tovira_install_desktop_files(${TOVIRA_DEB_FOLDER} /usr/bin/tovirawatch debian EXCLUDE_FROM_ALL)
# The copyright file in Debian's machine-readable format, its licence text taken from LICENSE.
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE license_lines)
list(FIND license_lines "Permission is hereby granted, free of charge, to any person obtaining a copy" grant)
list(SUBLIST license_lines ${grant} -1 license_lines)
set(TOVIRA_LICENSE_TEXT "")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND TOVIRA_LICENSE_TEXT " ${line}\n")
endforeach()
string(STRIP "${TOVIRA_LICENSE_TEXT}" TOVIRA_LICENSE_TEXT)
set(TOVIRA_LICENSE_TEXT " ${TOVIRA_LICENSE_TEXT}")
configure_file(${TOVIRA_PACKAGING_DIR}/debian/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/copyright DESTINATION ${TOVIRA_DEB_DOC}
        COMPONENT debian EXCLUDE_FROM_ALL)
# The changelog and the manual page, compressed as Debian wants them: gzip -9, no name or time.
foreach(document debian/changelog:${TOVIRA_DEB_DOC}/changelog.gz debian/tovirawatch.1:share/man/man1/tovirawatch.1.gz)
  string(REPLACE ":" ";" document ${document})
  list(GET document 0 source)
  list(GET document 1 destination)
  cmake_path(GET destination FILENAME name)
  cmake_path(GET destination PARENT_PATH folder)
  execute_process(COMMAND gzip -9nc ${TOVIRA_PACKAGING_DIR}/${source}
                  OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name} COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOVIRA_PACKAGING_DIR}/${source})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name} DESTINATION ${folder} COMPONENT debian EXCLUDE_FROM_ALL)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)

set(CPACK_PACKAGE_NAME ToviraWatch)
set(CPACK_PACKAGE_VENDOR ToviraWatch)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Stopwatch for animators that reads time in film frames")
set(CPACK_GENERATOR TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL portable)
set(CPACK_ARCHIVE_PORTABLE_FILE_NAME ToviraWatch-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})

# Read by the DEB generator only; packaging/cpack_options.cmake picks its component.
set(CPACK_DEBIAN_PACKAGE_NAME tovirawatch)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The ToviraWatch developers <tovirawatch@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/tovirawatch/ToviraWatch)
# The extended description; the summary above is the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ToviraWatch times actions for animation: its dial steps in 1/24-second film
frames, and every lap and every stop goes into a list that reads in seconds,
in hours, minutes and seconds, in frames at 24 fps, or in six-second blocks
with seconds and frames, ready to carry over to an exposure sheet.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL is loaded only when a sound plays, so the library scan cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, libsdl2-2.0-0")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PROJECT_CONFIG_FILE ${TOVIRA_PACKAGING_DIR}/cpack_options.cmake)
include(CPack)
