# Unpacks the portable archive afresh for the install test:
#   cmake -DARCHIVE=<zip> -DDESTINATION=<folder> -P UnpackPortable.cmake
# Without an archive the folder stays empty and the test reports the archive missing.
file(REMOVE_RECURSE "${DESTINATION}")
if(NOT EXISTS "${ARCHIVE}")
    message(STATUS "No portable archive at ${ARCHIVE}: run scripts/package first")
    return()
endif()
file(MAKE_DIRECTORY "${DESTINATION}")
file(ARCHIVE_EXTRACT INPUT "${ARCHIVE}" DESTINATION "${DESTINATION}")
