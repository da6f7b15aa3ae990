// Pens and brushes kept for reuse while a shape variant switches its outline or fill off and
// back on, so that the switch costs a selection instead of building and deleting objects.
#pragma once

#include <windows.h>

namespace Slate {

// Everything a pen or brush is built from; two objects with equal keys draw alike.
struct ObjectKey {
  UINT kind = 0;  // OBJ_PEN or OBJ_BRUSH
  DWORD style = 0;
  DWORD width = 0;
  COLORREF colour = 0;
  ULONG_PTR hatch = 0;
  DWORD count = 0;
  DWORD dashes[16] = {};
};

bool operator==(const ObjectKey& a, const ObjectKey& b);

// A pen or brush about to be selected: its handle, and its key when it may be reused (a
// pattern brush's pixels are not in any key, so it never is).
struct StyleObject {
  HGDIOBJ handle = nullptr;
  ObjectKey key;
  bool reusable = false;
};

// A parked object of this key, taken out of the park; null when there is none.
HGDIOBJ takeParked(const ObjectKey& key);

// Selects made into dc and disposes of the object it replaces (see releaseObject).
void selectStyleObject(HDC dc, const StyleObject& made);

// Records that made now sits in dc, so that it can be parked when it leaves.
void noteSelected(HDC dc, const StyleObject& made);

// An object that has left dc: parked for reuse when a shape variant is switching styles and
// the object is one this file knows the key of; otherwise deleted, as before.
void releaseObject(HDC dc, HGDIOBJ old);

// While one lives, replaced pens and brushes are parked. The park holds a few objects at
// most; the oldest is deleted to make room.
class ParkingStyles {
 public:
  ParkingStyles();
  ~ParkingStyles();
  ParkingStyles(const ParkingStyles&) = delete;
  ParkingStyles& operator=(const ParkingStyles&) = delete;
};

}  // namespace Slate
