#include "eject/eject_request.h"

#include "eject/process_scan.h"
#include "platform/string_replace.h"

namespace {

using namespace eject_request;

// An active Warden drive shows its free space; a locked one cannot say it.
bool IsActiveWarden(const std::string& text) {
    return Contains(text, kWardenMark) && Contains(text, kFreeSpaceMark);
}

// The disk's parent is the USB device that carries it. Exactly one request,
// once, one ancestor level up; the system itself tells the user how it went,
// save when it refuses the session outright.
CONFIGRET RequestRemoval(DeviceApi& devices, DEVINST parent) {
    ULONG status = 0;
    ULONG problem = 0;
    // A failed status query leaves status 0 and so selects query-and-remove.
    devices.CM_Get_DevNode_Status(&status, &problem, parent, 0);
    if ((status & DN_REMOVABLE) != 0) {
        return devices.CM_Request_Device_EjectA(parent, nullptr, nullptr, 0, 0);
    }
    return devices.CM_Query_And_Remove_SubTreeA(parent, nullptr, nullptr, 0, CM_REMOVE_UI_OK);
}

}  // namespace

EjectOutcome RequestEject(DeviceApi& devices, SystemApi& system, HWND owner,
                          const EjectTarget& target) {
    if (IsActiveWarden(target.text)) {
        system.MessageBoxA(owner, kWardenWarningText, kWardenWarningCaption,
                           MB_OK | MB_ICONEXCLAMATION);
        return EjectOutcome::WardenActive;
    }
    if (Contains(target.text, kWardenMark)) TerminateProcessesByName(system, kCompanionExe);
    if (target.devInst == 0) return EjectOutcome::Placeholder;

    // Without a parent there is no defined node to ask about; a request for
    // whatever the variable held would be a request for an unknown device.
    DEVINST parent = 0;
    if (devices.CM_Get_Parent(&parent, target.devInst, 0) != CR_SUCCESS) {
        return EjectOutcome::ParentUnknown;
    }
    // A session without the right to eject (remote or non-interactive) is
    // refused before the PnP manager could tell the user anything.
    if (RequestRemoval(devices, parent) == CR_ACCESS_DENIED) return EjectOutcome::SessionRefused;
    return EjectOutcome::Requested;
}
