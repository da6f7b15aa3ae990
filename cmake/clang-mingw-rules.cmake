# Rules of the clang toolchain file (clang-mingw-w64-x86_64.cmake), read after CMake's
# platform rules. libstdc++'s headers go on the compile line only: on the link line clang
# would warn that they are unused.
set(_slate_cxx_include "${SLATE_MINGW_GCC_DIR}/include/c++")
set(CMAKE_CXX_COMPILE_OBJECT "<CMAKE_CXX_COMPILER> <DEFINES> <INCLUDES> <FLAGS> \
-stdlib++-isystem ${_slate_cxx_include} \
-stdlib++-isystem ${_slate_cxx_include}/x86_64-w64-mingw32 \
-stdlib++-isystem ${_slate_cxx_include}/backward -o <OBJECT> -c <SOURCE>")
# MinGW's libstdc++ is built for posix threads; GCC's driver adds winpthread by itself.
foreach(lang C CXX)
  if(NOT CMAKE_${lang}_STANDARD_LIBRARIES_INIT MATCHES "-lpthread")
    string(APPEND CMAKE_${lang}_STANDARD_LIBRARIES_INIT " -lpthread")
  endif()
endforeach()
