# Puts the default settings beside the program only when no settings file is there:
# a rebuild never overwrites what the user has saved.
if(NOT EXISTS "${DESTINATION}" AND NOT IS_SYMLINK "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
