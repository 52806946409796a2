#include "drives/drive_table.h"

#include "drives/drive_enumeration.h"
#include "drives/entry_text.h"
#include "res/resource.h"

int DriveTable::Rebuild(DeviceApi& devices, SystemApi& system, CListBoxCH& list, HWND timerOwner) {
    m_driveDevInsts.clear();
    m_driveTexts.clear();
    const ScopedRedrawOff quiet(list);
    list.RemoveAllItems();

    const DriveScan scan = ScanUsbDrives(devices);
    if (!scan.deviceSetAvailable) return 1;

    bool retryLabels = false;
    for (const FoundDrive& drive : scan.drives) {
        list.SetHorizontalExtent(drive.horizontalExtent);
        retryLabels = retryLabels || drive.labelUnreadable;
        Append(drive.devInst, drive.text, drive.iconId, list);
    }

    list.ClearChoice();
    if (list.GetCount() == 0) {
        Append(0, std::string(entry_text::kNoDrivesFound), IDI_NO_DRIVES, list);
        list.SetHorizontalExtent(0);
    }
    list.NameRows();

    if (retryLabels) {
        m_retryTimer = system.SetTimer(timerOwner, kRetryTimerId, kRetryIntervalMs, nullptr);
    } else if (m_retryTimer == kRetryTimerId) {
        system.KillTimer(timerOwner, kRetryTimerId);
    }
    return 0;
}

int DriveTable::EntryForRow(int row) const {
    const int count = static_cast<int>(m_driveDevInsts.size());
    if (row < 0 || row >= count || m_driveTexts.size() != m_driveDevInsts.size()) return -1;
    return count - 1 - row;
}

void DriveTable::Append(DEVINST devInst, const std::string& text, int iconId, CListBoxCH& list) {
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    list.AddItem(text.c_str(), icon);
    m_driveDevInsts.push_back(devInst);
    m_driveTexts.push_back(text);
}
