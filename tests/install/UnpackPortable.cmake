# Unpacks the portable archive afresh for the install test, when there is one:
#   cmake -DARCHIVE=<zip> -DDESTINATION=<folder> -P UnpackPortable.cmake
file(REMOVE_RECURSE "${DESTINATION}")
if(EXISTS "${ARCHIVE}")
    file(ARCHIVE_EXTRACT INPUT "${ARCHIVE}" DESTINATION "${DESTINATION}")
endif()
