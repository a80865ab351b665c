# Packs the archive handed to Windows users anew and unpacks it, so that the walk
# runs the program exactly as shipped (stripped, with the files beside it).
#   cmake -DBUILD_DIR=... -DDESTINATION=... -DARCHIVE=<name without .zip> -P unpack_archive.cmake
file(REMOVE_RECURSE ${DESTINATION})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake -G ZIP -B ${DESTINATION}
                RESULT_VARIABLE packed OUTPUT_QUIET)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${packed}")
endif()
file(ARCHIVE_EXTRACT INPUT ${DESTINATION}/${ARCHIVE}.zip DESTINATION ${DESTINATION})
