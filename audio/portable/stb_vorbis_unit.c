/* stb_vorbis's implementation, compiled once, here only, with its warnings silenced (see
   audio/CMakeLists.txt). Everything else includes it with STB_VORBIS_HEADER_ONLY. */
#include "stb_vorbis.h"
