// ComPointer<I>: one COM interface pointer owned for the length of a scope or an object.
#pragma once

namespace Slate::Audio {

template <class Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  ~ComPointer() {
    if (object) object->Release();
  }
  Interface* operator->() const { return object; }
  explicit operator bool() const { return object != nullptr; }
  // For the calls that hand out an interface: any earlier one is released first.
  Interface** out() {
    if (object) object->Release();
    object = nullptr;
    return &object;
  }
  // The same for the calls that take an interface identifier and a void**.
  void** outAny() { return reinterpret_cast<void**>(out()); }

 private:
  Interface* object = nullptr;
};

}  // namespace Slate::Audio
