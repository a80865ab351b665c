# Installation and the portable archive.
#
# cmake --install <build> --prefix <prefix> puts
#   <prefix>/lib/ToviraWatch/     the program folder: ToviraWatch, tick.wav, ToviraWatch.ini, LICENSE
#   <prefix>/bin/tovirawatch      a relative link to the program
#   <prefix>/share/applications/, share/metainfo/, share/icons/hicolor/
# The program finds its settings and tick.wav beside its resolved executable, so it
# keeps them in the program folder whichever way it is started.
#
# cpack -G TGZ packs the program folder alone, runnable wherever it is unpacked.

set(TOVIRA_APP_ID io.github.tovirawatch.ToviraWatch)
set(TOVIRA_PROGRAM_FOLDER lib/ToviraWatch)
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

tovira_install_program_folder(${TOVIRA_PROGRAM_FOLDER} COMPONENT program)

# The launcher: a relative link, so the installed tree can be moved as a whole.
set(TOVIRA_LAUNCHER_LINK ${CMAKE_CURRENT_BINARY_DIR}/packaging/tovirawatch)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(CREATE_LINK ../${TOVIRA_PROGRAM_FOLDER}/ToviraWatch ${TOVIRA_LAUNCHER_LINK} SYMBOLIC)
install(FILES ${TOVIRA_LAUNCHER_LINK} DESTINATION bin COMPONENT program)

install(CODE "
  set(TEMPLATE \"${TOVIRA_PACKAGING_DIR}/${TOVIRA_APP_ID}.desktop.in\")
  set(LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/bin/tovirawatch\")
  set(DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/${TOVIRA_APP_ID}.desktop\")
  include(\"${TOVIRA_PACKAGING_DIR}/write_desktop_entry.cmake\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${DESTINATION}\")
" COMPONENT program)
install(FILES ${TOVIRA_PACKAGING_DIR}/${TOVIRA_APP_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT program)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/images/icon_${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${TOVIRA_APP_ID}.png COMPONENT program)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/images/icon.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${TOVIRA_APP_ID}.svg COMPONENT program)

# The portable archive: the program folder as the archive's one top directory.
tovira_install_program_folder(ToviraWatch COMPONENT portable EXCLUDE_FROM_ALL)
set(CPACK_PACKAGE_NAME ToviraWatch)
set(CPACK_PACKAGE_VENDOR ToviraWatch)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Stopwatch for animators that reads time in film frames")
set(CPACK_GENERATOR TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL portable)
set(CPACK_ARCHIVE_PORTABLE_FILE_NAME ToviraWatch-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
include(CPack)
