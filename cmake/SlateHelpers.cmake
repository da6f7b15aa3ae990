# Helpers shared by the project's CMake files.

# Static runtime and hardened image for Windows programs: the .exe must run on a clean
# Windows with no MinGW DLLs beside it.
function(slate_windows_program target)
  if(MINGW)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
      -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  elseif(MSVC)
    set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    target_link_options(${target} PRIVATE /DYNAMICBASE /HIGHENTROPYVA /NXCOMPAT)
  endif()
endfunction()
