# Installation of the desktop program's shipped files: the desktop entry, the analysis-file
# type, the icon, the help guide, the examples and the template workbooks. The program finds
# them from its executable as <bin>/../share/kalvoren/<file>.
set(KALVOREN_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/kalvoren)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/kalvoren.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kalvoren-pyx.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/icon.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME kalvoren.svg)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/icon-256.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME kalvoren.png)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/ DESTINATION ${KALVOREN_SHARE_DIR}/help)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${KALVOREN_SHARE_DIR}/examples)
# The template workbooks come with the spreadsheet commands; install them when present.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/templates/ DESTINATION ${KALVOREN_SHARE_DIR}/templates
  OPTIONAL)

# A direct install (no DESTDIR staging, as a package build would use) refreshes the
# desktop's caches so the menu entry, the .pyx type and the icon show at once. Missing
# tools or failures are only noted: the files are in place either way.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    set(_share "${CMAKE_INSTALL_PREFIX}/share")
    find_program(_kalvoren_mime update-mime-database)
    find_program(_kalvoren_desktop update-desktop-database)
    find_program(_kalvoren_icons gtk-update-icon-cache)
    if(_kalvoren_mime)
      execute_process(COMMAND ${_kalvoren_mime} "${_share}/mime" RESULT_VARIABLE _rc
        OUTPUT_QUIET ERROR_QUIET)
      if(NOT _rc EQUAL 0)
        message(STATUS "update-mime-database ${_share}/mime did not run (${_rc})")
      endif()
    endif()
    if(_kalvoren_desktop)
      execute_process(COMMAND ${_kalvoren_desktop} "${_share}/applications" OUTPUT_QUIET
        ERROR_QUIET)
    endif()
    if(_kalvoren_icons AND EXISTS "${_share}/icons/hicolor/index.theme")
      execute_process(COMMAND ${_kalvoren_icons} -q -t "${_share}/icons/hicolor" OUTPUT_QUIET
        ERROR_QUIET)
    endif()
  endif()
]])
