// ComApartment: COM initialised on the calling thread for the length of a scope.
#pragma once

#include <objbase.h>

namespace Slate {

// COM is per thread, and each successful CoInitializeEx, S_FALSE included, must be matched by
// one CoUninitialize on the same thread. A thread already in the multithreaded apartment
// refuses (RPC_E_CHANGED_MODE) but can use COM as it is, and is left as it was.
class ComApartment {
 public:
  ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // COM can be used on this thread: set up here, before, or in the other apartment kind.
  bool usable() const { return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE; }

  const HRESULT result;
};

}  // namespace Slate
