# Writes the desktop entry at install time, with Exec naming the launcher by its
# absolute path: the menu then starts the program even where <prefix>/bin is not
# on the session's PATH (a per-user prefix before the next login, for one).
#   In: TEMPLATE (the entry with @TOVIRA_DESKTOP_EXEC@), LAUNCHER (absolute path),
#       DESTINATION (the file to write).

if(LAUNCHER MATCHES "[\r\n]")
  message(FATAL_ERROR "A desktop entry cannot name a launcher whose path holds a line break: ${LAUNCHER}")
endif()

# One quoted argument: inside the quotes \ " ` $ take a backslash; the value is a
# string besides, whose own escaping doubles every backslash; % stands for itself as %%.
string(REPLACE "\\" "\\\\" quoted "${LAUNCHER}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
set(TOVIRA_DESKTOP_EXEC "\"${quoted}\"")

configure_file("${TEMPLATE}" "${DESTINATION}" @ONLY)
message(STATUS "Installing: ${DESTINATION}")
