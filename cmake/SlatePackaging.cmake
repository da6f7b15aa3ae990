# Release archives, one per install component (scripts/release makes them):
#   SlidePuzzle-<version>-win64.zip      the game, runnable on a clean Windows
#   Slate-<version>-mingw-w64.zip        the library for programs of one's own
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME SlidePuzzle)
set(CPACK_PACKAGE_VENDOR "SlidePuzzle")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${SLATE_INSTALL_COMPONENTS})
if(MSVC)
  set(slate_toolchain msvc)
else()
  set(slate_toolchain mingw-w64)
endif()
set(CPACK_ARCHIVE_GAME_FILE_NAME SlidePuzzle-${PROJECT_VERSION}-win64)
set(CPACK_ARCHIVE_SDK_FILE_NAME Slate-${PROJECT_VERSION}-${slate_toolchain})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
