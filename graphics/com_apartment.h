// COM on the calling thread from its first load or save to the thread's end.
#pragma once

#include <objbase.h>

namespace Slate {

// Each successful CoInitializeEx, S_FALSE included, must be matched by one CoUninitialize on
// the same thread, and the first thread to enter a single-threaded apartment must be the
// last to leave it (CoInitialize). Entering and leaving around each load breaks the second
// rule as soon as loads overlap on several threads, so each thread enters once and leaves
// when it ends, with its thread_local holder. A thread already in the multithreaded
// apartment refuses (RPC_E_CHANGED_MODE) but can use COM as it is, and is left as it was.
class ThreadApartment {
 public:
  ThreadApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ThreadApartment() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
  ThreadApartment(const ThreadApartment&) = delete;
  ThreadApartment& operator=(const ThreadApartment&) = delete;

  const HRESULT result;
};

// Enters COM on this thread the first time, and tells whether COM can be used here: set up
// by us, before, or in the other apartment kind.
inline HRESULT comOnThisThread() {
  thread_local ThreadApartment apartment;
  return apartment.result == RPC_E_CHANGED_MODE ? S_OK : apartment.result;
}

}  // namespace Slate
