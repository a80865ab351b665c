# Run by cpack's External generator once it has staged the program folder, stripped,
# as the archive holds it: builds <CPACK_PACKAGE_FILE_NAME>.msi from that folder with
# wixl. The version comes from CPACK_PACKAGE_VERSION, so a package of another version
# is one cpack -D away (the installer test builds an earlier one).

# Every version gets its own product code, derived from the version: Windows Installer
# then removes an earlier version when a later one is installed (a major upgrade),
# and refuses the same version twice instead of listing it twice.
string(UUID product_code NAMESPACE ${CPACK_TOVIRA_UPGRADE_CODE} NAME ${CPACK_PACKAGE_VERSION} TYPE SHA1 UPPER)

# wixl finds files only by paths relative to its working directory.
file(RELATIVE_PATH icon ${CPACK_TEMPORARY_DIRECTORY} ${CPACK_TOVIRA_ICON})
set(package ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi)
execute_process(
  COMMAND ${CPACK_TOVIRA_WIXL} --arch x64 --output ${package}
          --define Version=${CPACK_PACKAGE_VERSION} --define ProductCode=${product_code}
          --define UpgradeCode=${CPACK_TOVIRA_UPGRADE_CODE} --define Manufacturer=${CPACK_PACKAGE_VENDOR}
          --define Icon=${icon} ${CPACK_TOVIRA_WXS}
  WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
# wixl warns of what it does not support and carries on; the package must not lose anything that way.
if(NOT status EQUAL 0 OR output MATCHES "WARNING|CRITICAL|unimplemented")
  message(FATAL_ERROR "wixl failed (${status}):\n${output}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${package})
