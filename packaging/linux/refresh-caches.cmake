# Run by cmake --install after the desktop files are in place: refreshes the desktop's caches of
# file types and of the programs for them, so that file managers offer Z.E.V for BVH files at once.
# Skipped where the tools are missing, and for a staged install (DESTDIR set, as when a package is
# built), whose package refreshes the caches on the target system. ZEV_DATA_DIR is the installed
# data folder.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
find_program(ZEV_UPDATE_MIME_DATABASE update-mime-database)
if(ZEV_UPDATE_MIME_DATABASE)
  message(STATUS "Refreshing: ${ZEV_DATA_DIR}/mime")
  execute_process(COMMAND ${ZEV_UPDATE_MIME_DATABASE} "${ZEV_DATA_DIR}/mime")
endif()
find_program(ZEV_UPDATE_DESKTOP_DATABASE update-desktop-database)
if(ZEV_UPDATE_DESKTOP_DATABASE)
  message(STATUS "Refreshing: ${ZEV_DATA_DIR}/applications")
  execute_process(COMMAND ${ZEV_UPDATE_DESKTOP_DATABASE} "${ZEV_DATA_DIR}/applications")
endif()
