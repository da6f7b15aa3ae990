# Release archives, made by CPack from two configurations of the build (scripts/release):
#   cpack --config CPackConfig.cmake        SlidePuzzle-<version>-win64.zip, the game
#   cpack --config CPackConfig-Slate.cmake  Slate-<version>-mingw-w64.zip, the library
# Each holds one install component in a folder of the archive's name.
if(MSVC)
  set(slate_toolchain msvc)
else()
  set(slate_toolchain mingw-w64)
endif()
set(SLATE_ARCHIVE_NAME Slate-${PROJECT_VERSION}-${slate_toolchain})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME SlidePuzzle)
set(CPACK_PACKAGE_VENDOR SlidePuzzle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Programs lose their symbol tables; static libraries are never stripped.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
if(TARGET SlidePuzzle)
  set(CPACK_COMPONENTS_ALL game)
  set(CPACK_PACKAGE_FILE_NAME SlidePuzzle-${PROJECT_VERSION}-win64)
else()
  set(CPACK_COMPONENTS_ALL sdk)
  set(CPACK_PACKAGE_FILE_NAME ${SLATE_ARCHIVE_NAME})
endif()
include(CPack)

file(WRITE ${PROJECT_BINARY_DIR}/CPackConfig-Slate.cmake
     "include(\"${CPACK_OUTPUT_CONFIG_FILE}\")\n"
     "set(CPACK_COMPONENTS_ALL sdk)\n"
     "set(CPACK_PACKAGE_FILE_NAME \"${SLATE_ARCHIVE_NAME}\")\n")
