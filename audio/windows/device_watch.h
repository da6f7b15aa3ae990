// DeviceWatch: an event set when the default render device changes (headphones plugged in
// or pulled, the user picking another device), for the mixer thread to reopen on it.
#pragma once

#include <windows.h>

#include <mmdeviceapi.h>

namespace Slate::Audio {

class DeviceWatch final : public IMMNotificationClient {
 public:
  // Registers with the device enumerator; on a system without one, changed() never fires.
  DeviceWatch();
  ~DeviceWatch();
  DeviceWatch(const DeviceWatch&) = delete;
  DeviceWatch& operator=(const DeviceWatch&) = delete;

  HANDLE changed() const { return event; }

  // IMMNotificationClient. The calls come on a thread of the audio service, which must not be
  // held up: they only set the event.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR id) override;
  HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
    return S_OK;
  }

 private:
  HANDLE event;
  IMMDeviceEnumerator* enumerator = nullptr;
};

}  // namespace Slate::Audio
