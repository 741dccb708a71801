# The Windows packages: an installer (NSIS) and a portable archive (ZIP), both made by CPack from
# the install rules below. `cpack -G NSIS` needs makensis (Debian: nsis), which builds Windows
# installers on Linux as well.
#
#   Program Files\Tessarin\Tessarin.exe
#   Program Files\Tessarin\Help\index.htm
#   Program Files\Tessarin\Uninstall.exe     (installer only)

install(TARGETS Tessarin RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/Help/index.htm DESTINATION Help)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Tessarin)
set(CPACK_PACKAGE_VENDOR Tessarin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "System-wide hotkeys for everyday actions")
# The names the install test looks for (CPack's own variables change once CPack is included).
set(TESSARIN_PACKAGE_FILE_NAME Tessarin-${PROJECT_VERSION}-win64)
set(TESSARIN_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_FILE_NAME ${TESSARIN_PACKAGE_FILE_NAME})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tessarin)
set(CPACK_PACKAGE_DIRECTORY ${TESSARIN_PACKAGE_DIRECTORY})

# The archive holds one folder, Tessarin-<version>-win64\ (CPack's default for archives), that
# runs from wherever it is unpacked.

# The installer comes from the project's own template (packaging/NSIS.template.in): a 64-bit
# install with a single Start-menu shortcut and an uninstaller that ends a running Tessarin
# first and asks before it deletes the user's actions.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging)
set(CPACK_NSIS_DISPLAY_NAME Tessarin)
set(CPACK_NSIS_PACKAGE_NAME Tessarin)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/res/Tessarin.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/res/Tessarin.ico)
set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${CMAKE_SOURCE_DIR}/packaging/installer-picture.bmp)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")

include(CPack)
