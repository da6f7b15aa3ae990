// The default device's changes, as the device enumerator tells them.
#include "device_watch.h"

namespace Slate::Audio {

// The object lives as long as the watch and is unregistered before it goes, so its
// reference count is not needed to keep it alive.
DeviceWatch::DeviceWatch() : event(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                              __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(&enumerator)))) {
    enumerator = nullptr;
    return;
  }
  if (FAILED(enumerator->RegisterEndpointNotificationCallback(this))) {
    enumerator->Release();
    enumerator = nullptr;
  }
}

DeviceWatch::~DeviceWatch() {
  if (enumerator) {
    enumerator->UnregisterEndpointNotificationCallback(this);
    enumerator->Release();
  }
  if (event) CloseHandle(event);
}

HRESULT DeviceWatch::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
    *out = static_cast<IMMNotificationClient*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// The engine plays on the console role's default render device, the one GetDefaultAudioEndpoint
// (eRender, eConsole) gives; a change of that one (a null id: no device is left) reopens.
HRESULT DeviceWatch::OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) {
  if (flow == eRender && role == eConsole && event) SetEvent(event);
  return S_OK;
}

}  // namespace Slate::Audio
