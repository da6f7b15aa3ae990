# Helpers shared by the project's CMake files.

# Static runtime and hardened image for Windows programs: the .exe must run on a clean
# Windows with no MinGW DLLs beside it. Sections start on page boundaries in the file too
# (4 KiB file alignment), so the loader can map the image, megabytes of resources included,
# instead of copying it; Wine copies an image whose sections are not page-aligned.
function(slate_windows_program target)
  if(MINGW)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
      -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--file-alignment,4096)
  elseif(MSVC)
    set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    target_link_options(${target} PRIVATE /DYNAMICBASE /HIGHENTROPYVA /NXCOMPAT /FILEALIGN:4096)
  endif()
endfunction()

set(SLATE_RUN_GENERATOR ${CMAKE_CURRENT_LIST_DIR}/run_generator.cmake)

# slate_generate(TOOL target DIR folder OUTPUTS file... PATHS variable)
# Runs a generator program of this build, `tool <folder>`, which writes the given files
# into the folder; their full paths are returned in the variable. When cross-building the
# tool runs through the cross-compiling emulator. A target of the same directory must
# depend on the outputs for them to be made.
function(slate_generate)
  cmake_parse_arguments(G "" "TOOL;DIR;PATHS" "OUTPUTS" ${ARGN})
  list(TRANSFORM G_OUTPUTS PREPEND "${G_DIR}/" OUTPUT_VARIABLE paths)
  add_custom_command(OUTPUT ${paths}
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:${G_TOOL}> -DDIR=${G_DIR}
            "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DLOG=${G_DIR}.log
            -P ${SLATE_RUN_GENERATOR}
    DEPENDS ${G_TOOL} ${SLATE_RUN_GENERATOR}
    COMMENT "Generating ${G_OUTPUTS}"
    VERBATIM)
  set(${G_PATHS} ${paths} PARENT_SCOPE)
endfunction()

# slate_embed(target RC script DIR folder DEPENDS file...)
# Adds a resource script to a target; the files it names are looked up in the folder and
# the script is recompiled when one of them changes.
function(slate_embed target)
  cmake_parse_arguments(E "" "RC;DIR" "DEPENDS" ${ARGN})
  target_sources(${target} PRIVATE ${E_RC})
  target_include_directories(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${E_DIR}>)
  set_source_files_properties(${E_RC} PROPERTIES OBJECT_DEPENDS "${E_DEPENDS}")
endfunction()
