// CKorvane_Safe_EjectApp: takes the process from its entry to the running
// main window, shown (modal) or hidden in the tray ("/min").
#pragma once

#include "platform/device_api.h"
#include "platform/framework/win_app.h"
#include "platform/system_api.h"

class CKorvane_Safe_EjectApp : public CWinApp {
public:
    CKorvane_Safe_EjectApp(DeviceApi& devices, SystemApi& system);

    BOOL InitInstance() override;

private:
    DeviceApi& m_devices;
    SystemApi& m_system;
};
