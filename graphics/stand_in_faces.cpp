// Stand-in faces: registering a carried font for the process and the face-name table that
// font creation and getTextStyle consult.
#include "stand_in_faces.h"

#include <slate/graphics.h>

#include <atomic>
#include <cwchar>

#include "errors.h"

namespace Slate {

namespace {

struct StandIn {
  wchar_t face[LF_FACESIZE];
  wchar_t standIn[LF_FACESIZE];
};

// Written before `count` publishes an entry and never changed after, so font creation on
// any thread reads the table without a lock; registering is for the program's start.
constexpr int kMaxStandIns = 8;
StandIn table[kMaxStandIns];
std::atomic<int> count{0};
SRWLOCK registering = SRWLOCK_INIT;

// GDI compares face names without regard to case.
bool sameFace(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool fits(const wchar_t* face) {
  return face && face[0] != L'\0' && std::wcslen(face) < LF_FACESIZE;
}

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

// True when a face of this name is installed (or registered) in any character set.
bool isInstalled(const wchar_t* face) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy_s(wanted.lfFaceName, face, _TRUNCATE);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
  DeleteDC(dc);
  return found;
}

// Fonts made from a stand-in, each with the face it was asked for: two faces may share one
// stand-in, and the stand-in may be asked for by its own name, so the name a font was made
// with does not tell which face was asked. A handle's entry is believed only while the font
// still has the stand-in's name, since a deleted font's handle may come back as another font.
struct MadeFont {
  HGDIOBJ font;
  wchar_t asked[LF_FACESIZE];
  wchar_t madeAs[LF_FACESIZE];
};

// Enough for a font on each of many images; dead fonts' entries are reused first.
constexpr int kMaxMadeFonts = 64;
MadeFont madeFonts[kMaxMadeFonts];
int nextEvicted = 0;
SRWLOCK madeFontsLock = SRWLOCK_INIT;

MadeFont* madeFontSlot(HGDIOBJ font) {
  MadeFont* free = nullptr;
  for (MadeFont& made : madeFonts) {
    if (made.font == font) return &made;
    if (!free && (made.font == nullptr || GetObjectType(made.font) != OBJ_FONT)) free = &made;
  }
  if (free) return free;
  nextEvicted = (nextEvicted + 1) % kMaxMadeFonts;
  return &madeFonts[nextEvicted];
}

const StandIn* entryFor(const wchar_t* name, bool byStandIn) {
  const int entries = count.load(std::memory_order_acquire);
  for (int i = 0; i < entries; ++i) {
    if (sameFace(name, byStandIn ? table[i].standIn : table[i].face)) return &table[i];
  }
  return nullptr;
}

}  // namespace

void toStandInFace(LOGFONTW& font) {
  if (const StandIn* entry = entryFor(font.lfFaceName, false)) {
    wcsncpy_s(font.lfFaceName, entry->standIn, _TRUNCATE);
  }
}

void noteAskedFace(HFONT font, const LOGFONTW& asked, const LOGFONTW& madeAs) {
  if (count.load(std::memory_order_acquire) == 0 || font == nullptr) return;
  const bool fromStandIn = entryFor(madeAs.lfFaceName, true) != nullptr;
  AcquireSRWLockExclusive(&madeFontsLock);
  if (fromStandIn) {
    MadeFont* slot = madeFontSlot(font);
    slot->font = font;
    wcsncpy_s(slot->asked, asked.lfFaceName, _TRUNCATE);
    wcsncpy_s(slot->madeAs, madeAs.lfFaceName, _TRUNCATE);
  } else {
    for (MadeFont& made : madeFonts) {
      if (made.font == font) made.font = nullptr;  // a reused handle's old entry
    }
  }
  ReleaseSRWLockExclusive(&madeFontsLock);
}

void toAskedFace(HGDIOBJ font, LOGFONTW& described) {
  const StandIn* entry = entryFor(described.lfFaceName, true);
  if (entry == nullptr) return;
  bool noted = false;
  AcquireSRWLockShared(&madeFontsLock);
  for (const MadeFont& made : madeFonts) {
    if (made.font == font && sameFace(made.madeAs, described.lfFaceName)) {
      wcsncpy_s(described.lfFaceName, made.asked, _TRUNCATE);
      noted = true;
      break;
    }
  }
  ReleaseSRWLockShared(&madeFontsLock);
  // A font the table had no room for reads back as the first face of its stand-in.
  if (!noted) wcsncpy_s(described.lfFaceName, entry->face, _TRUNCATE);
}

bool useStandInFace(const wchar_t* face, const wchar_t* standInFace, const void* data, DWORD size) {
  const wchar_t* call = L"useStandInFace";
  if (!fits(face) || !fits(standInFace)) {
    return reportError(call, L"each face needs a name of 1 to 31 characters");
  }
  if (data == nullptr || size == 0) return reportError(call, L"no font data");
  AcquireSRWLockExclusive(&registering);
  bool ok = true;
  if (entryFor(face, false) == nullptr && !isInstalled(face)) {
    const int entries = count.load(std::memory_order_relaxed);
    DWORD fonts = 0;
    if (entries == kMaxStandIns) {
      ok = reportErrorf(call, L"no room for more than %d stand-in faces", kMaxStandIns);
    } else if (!AddFontMemResourceEx(const_cast<void*>(data), size, nullptr, &fonts)) {
      ok = reportError(call, L"the font data was refused");
    } else {
      // The registration lasts as long as the process; there is nothing to undo it for.
      wcsncpy_s(table[entries].face, face, _TRUNCATE);
      wcsncpy_s(table[entries].standIn, standInFace, _TRUNCATE);
      count.store(entries + 1, std::memory_order_release);
    }
  }
  ReleaseSRWLockExclusive(&registering);
  return ok;
}

}  // namespace Slate
