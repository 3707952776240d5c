// The WASAPI pieces of the capture: one stream on a given device, and the opener that finds
// the default device and listens for the system's device notifications.
#pragma once

#include "AudioCaptureImpl.h"

#include <mmdeviceapi.h>

namespace ShareLib {

// Opens a shared-mode stream on the device: its loopback (a render device) or itself (a
// capture device). The result of the first failed call, or S_OK with the source set.
HRESULT OpenWasapiSource(IMMDevice* device, bool loopback, std::unique_ptr<IRawSource>* source);

}  // namespace ShareLib
