# Cross-building for 64-bit Windows with clang and lld against the MinGW-w64 headers and
# libraries (posix threads): a second compiler, to catch code that only GCC accepts.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/clang-mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${MINGW_PREFIX}-objdump CACHE FILEPATH "objdump for the target")
# The sysroot also keeps the host's /usr/include out of the search path.
set(CMAKE_SYSROOT /usr/${MINGW_PREFIX})

# Clang does not recognise Debian's versioned GCC folder (12-posix), so it finds neither
# libstdc++'s headers nor libgcc and libstdc++ themselves: they are taken from MinGW's GCC.
execute_process(COMMAND ${MINGW_PREFIX}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE _slate_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(SLATE_MINGW_GCC_DIR "${_slate_libgcc}" DIRECTORY)
# lld, because GNU ld warns about every type-info name that clang and GCC pad differently;
# it also resolves libstdc++'s calls into winpthread in any library order.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${SLATE_MINGW_GCC_DIR}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/clang-mingw-rules.cmake)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Built programs run under Wine: through the project's wrapper in the sources, through
# wine itself where the file is used from the SDK.
get_filename_component(_slate_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(EXISTS "${_slate_root}/scripts/wine-run")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${_slate_root}/scripts/wine-run")
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
