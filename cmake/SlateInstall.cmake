# What `cmake --install` puts into a prefix, in two components:
#   sdk   the library (include/, lib/ with the CMake package), the toolchain files (cmake/),
#         the examples' sources, the getting-started guide and the cheatsheet, its own README
#         (packaging/sdk), LICENSE and the licences of what the library builds in;
#   game  SlidePuzzle.exe beside the player's README (packaging/game) and LICENSE.
# The package is found with find_package(Slate 1.0 CONFIG) and gives Slate::slate.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(SLATE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Slate)

# slate_pixel and slate_audio_portable go along: the static runtime links them.
install(TARGETS slate slate_pixel slate_audio_portable EXPORT SlateTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sdk
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/slate COMPONENT sdk
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT SlateTargets NAMESPACE Slate:: DESTINATION ${SLATE_PACKAGE_DIR} COMPONENT sdk)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/SlateConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/SlateConfig.cmake
                              INSTALL_DESTINATION ${SLATE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SlateConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SlateConfig.cmake ${PROJECT_BINARY_DIR}/SlateConfigVersion.cmake
        DESTINATION ${SLATE_PACKAGE_DIR} COMPONENT sdk)

# Sources and documents for whoever builds on the library.
if(EXISTS ${PROJECT_SOURCE_DIR}/examples)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples COMPONENT sdk)
  # The picture the rotation example loads, made by the asset generator with the game.
  install(FILES ${PROJECT_BINARY_DIR}/assets/picture4.bmp DESTINATION examples
          RENAME picture.bmp COMPONENT sdk OPTIONAL)
endif()
# The toolchain files that cross-build from Linux, in cmake/ of the SDK, where the guide
# names them.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
              ${PROJECT_SOURCE_DIR}/cmake/clang-mingw-w64-x86_64.cmake
              ${PROJECT_SOURCE_DIR}/cmake/clang-mingw-rules.cmake DESTINATION cmake COMPONENT sdk)
# The library decodes OGG Vorbis with stb_vorbis, built in; its licence goes along.
install(FILES ${PROJECT_SOURCE_DIR}/audio/licences/stb_vorbis.txt DESTINATION licences
        COMPONENT sdk)
foreach(doc getting-started.md cheatsheet.md)
  if(EXISTS ${PROJECT_SOURCE_DIR}/docs/${doc})
    install(FILES ${PROJECT_SOURCE_DIR}/docs/${doc} DESTINATION docs COMPONENT sdk)
  endif()
endforeach()

set(components sdk)
if(TARGET SlidePuzzle)
  install(TARGETS SlidePuzzle RUNTIME DESTINATION . COMPONENT game)
  # The licences of the faces the game carries (resources/fonts/README.md).
  install(FILES ${PROJECT_SOURCE_DIR}/resources/fonts/OFL-Kristi.txt
                ${PROJECT_SOURCE_DIR}/resources/fonts/ARPHICPL.txt DESTINATION fonts
          COMPONENT game)
  list(APPEND components game)
endif()

# Each archive has a README for its own readers; the project's README is for its developers.
foreach(component ${components})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/${component}/README.md
                ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT ${component})
endforeach()
