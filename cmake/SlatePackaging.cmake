# Release packages, made by CPack from two configurations of the build (scripts/release):
#   cpack --config CPackConfig.cmake           SlidePuzzle-<version>-win64.zip, the game
#   cpack --config CPackConfig-Slate.cmake     Slate-<version>-mingw-w64.zip, the library
#   cpack --config CPackConfig-Installer.cmake SlidePuzzle-<version>-setup.exe, the game's
#                                              installer (NSIS, packaging/nsis)
# Each archive holds one install component in a folder of the archive's name.
if(MSVC)
  set(slate_toolchain msvc)
else()
  set(slate_toolchain mingw-w64)
endif()
set(SLATE_ARCHIVE_NAME Slate-${PROJECT_VERSION}-${slate_toolchain})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME SlidePuzzle)
set(CPACK_PACKAGE_VENDOR "The SlidePuzzle developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Programs lose their symbol tables; static libraries are never stripped.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
if(TARGET SlidePuzzle)
  set(CPACK_COMPONENTS_ALL game)
  set(CPACK_PACKAGE_FILE_NAME SlidePuzzle-${PROJECT_VERSION}-win64)
else()
  set(CPACK_COMPONENTS_ALL sdk)
  set(CPACK_PACKAGE_FILE_NAME ${SLATE_ARCHIVE_NAME})
endif()

# The installer. Its folder and uninstall entry are named without the version, so a newer
# release replaces an older one instead of installing beside it.
set(CPACK_PACKAGE_INSTALL_DIRECTORY SlidePuzzle)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY SlidePuzzle)
set(CPACK_NSIS_PACKAGE_NAME SlidePuzzle)
set(CPACK_NSIS_DISPLAY_NAME SlidePuzzle)
set(CPACK_NSIS_INSTALLED_ICON_NAME SlidePuzzle.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/assets/icon.ico)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
include(CPack)

file(WRITE ${PROJECT_BINARY_DIR}/CPackConfig-Slate.cmake
     "include(\"${CPACK_OUTPUT_CONFIG_FILE}\")\n"
     "set(CPACK_COMPONENTS_ALL sdk)\n"
     "set(CPACK_PACKAGE_FILE_NAME \"${SLATE_ARCHIVE_NAME}\")\n")
# One tree, the game component's, with our own template in place of CPack's. Only a game
# with its pictures has the icon the installer shows.
if(TARGET SlidePuzzle AND TARGET slidepuzzle_resources)
  file(WRITE ${PROJECT_BINARY_DIR}/CPackConfig-Installer.cmake
       "include(\"${CPACK_OUTPUT_CONFIG_FILE}\")\n"
       "set(CPACK_GENERATOR NSIS)\n"
       "set(CPACK_MONOLITHIC_INSTALL ON)\n"
       "set(CPACK_INSTALL_CMAKE_PROJECTS \"${PROJECT_BINARY_DIR};SlidePuzzle;game;/\")\n"
       "set(CPACK_COMPONENTS_ALL game)\n"
       "set(CPACK_MODULE_PATH \"${PROJECT_SOURCE_DIR}/packaging/nsis\")\n"
       "set(CPACK_PACKAGE_FILE_NAME \"SlidePuzzle-${PROJECT_VERSION}-setup\")\n")
endif()
