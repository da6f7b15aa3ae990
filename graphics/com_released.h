// Released<I>: the owner of one COM interface pointer for the length of a scope.
#pragma once

namespace Slate {

// Releases a COM object on every way out of a scope.
template <class Interface>
struct Released {
  Released() = default;
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  ~Released() {
    if (object) object->Release();
  }
  Interface* object = nullptr;
};

}  // namespace Slate
