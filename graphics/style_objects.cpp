// The park of reusable pens and brushes, and the record of which object of a known key sits
// in which device context. Both are small fixed tables used by the drawing thread only.
#include "style_objects.h"

#include <cstring>

namespace Slate {

namespace {

constexpr int kParked = 8;
constexpr int kNoted = 8;

struct Parked {
  HGDIOBJ handle = nullptr;
  ObjectKey key;
  unsigned age = 0;
};

struct Noted {
  HDC dc = nullptr;
  HGDIOBJ handle = nullptr;
  ObjectKey key;
};

Parked parked[kParked];
Noted noted[kNoted];
unsigned parkings = 0;
int parkingDepth = 0;

void park(HGDIOBJ handle, const ObjectKey& key) {
  Parked* slot = &parked[0];
  for (Parked& p : parked) {
    if (p.handle == nullptr) {
      slot = &p;
      break;
    }
    if (p.age < slot->age) slot = &p;
  }
  if (slot->handle) DeleteObject(slot->handle);  // the oldest makes room
  *slot = {handle, key, ++parkings};
}

}  // namespace

bool operator==(const ObjectKey& a, const ObjectKey& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

HGDIOBJ takeParked(const ObjectKey& key) {
  for (Parked& p : parked) {
    if (p.handle && p.key == key) {
      HGDIOBJ handle = p.handle;
      p.handle = nullptr;
      return handle;
    }
  }
  return nullptr;
}

void noteSelected(HDC dc, const StyleObject& made) {
  Noted* slot = nullptr;
  for (Noted& n : noted) {
    const bool sameKind = n.handle && n.key.kind == made.key.kind && n.dc == dc;
    if (sameKind || (!slot && n.handle == nullptr)) slot = &n;
    if (sameKind) break;
  }
  if (!made.reusable) {
    if (slot && slot->dc == dc && slot->key.kind == made.key.kind) slot->handle = nullptr;
    return;
  }
  if (!slot) slot = &noted[made.key.kind == OBJ_PEN ? 0 : 1];  // full: forget one
  *slot = {dc, made.handle, made.key};
}

void releaseObject(HDC dc, HGDIOBJ old) {
  for (Noted& n : noted) {
    if (n.handle != old || n.dc != dc) continue;
    n.handle = nullptr;
    if (parkingDepth > 0) {
      park(old, n.key);
      return;
    }
    break;
  }
  DeleteObject(old);
}

void selectStyleObject(HDC dc, const StyleObject& made) {
  HGDIOBJ old = SelectObject(dc, made.handle);
  if (old && old != made.handle) releaseObject(dc, old);
  noteSelected(dc, made);
}

ParkingStyles::ParkingStyles() {
  ++parkingDepth;
}

ParkingStyles::~ParkingStyles() {
  --parkingDepth;
}

}  // namespace Slate
