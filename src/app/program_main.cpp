// The program Windows users run: the logic on the real operating system.
#include "app/korvane_app.h"
#include "platform/win32/real_device_api.h"
#include "platform/win32/real_system_api.h"

namespace {
// Constructed in this order before WinMain runs; they live until the process
// ends, which every exit of the program does from inside a handler.
RealDeviceApi g_devices;
RealSystemApi g_system;
}  // namespace

CKorvane_Safe_EjectApp theApp(g_devices, g_system);
