// Stand-in faces: a face the program names but the system lacks, drawn with a font the
// program carries. Font creation asks for the stand-in; reading the style back shows the
// face the program named.
#pragma once

#include <windows.h>

namespace Slate {

// Puts the stand-in's name in place of a face that has one.
void toStandInFace(LOGFONTW& font);

// Remembers the face a font was asked for when it was made from a stand-in (madeAs holds
// the stand-in's name), so that reading it back gives that face.
void noteAskedFace(HFONT font, const LOGFONTW& asked, const LOGFONTW& madeAs);

// Puts the face a font made from a stand-in was asked for in place of the stand-in's name
// in described, font's description.
void toAskedFace(HGDIOBJ font, LOGFONTW& described);

}  // namespace Slate
