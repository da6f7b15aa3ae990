// Stand-in faces: a face the program names but the system lacks, drawn with a font the
// program carries. Font creation asks for the stand-in; reading the style back shows the
// face the program named.
#pragma once

#include <windows.h>

namespace Slate {

// Puts the stand-in's name in place of a face that has one.
void toStandInFace(LOGFONTW& font);

// Puts the named face back in place of a stand-in's name.
void toAskedFace(LOGFONTW& font);

}  // namespace Slate
