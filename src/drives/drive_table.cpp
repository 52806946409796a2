#include "drives/drive_table.h"

#include "drives/drive_enumeration.h"
#include "drives/entry_text.h"
#include "res/resource.h"

int DriveTable::Rebuild(DeviceApi& devices, SystemApi& system, CListBoxCH& list, HWND timerOwner) {
    const DEVINST chosen = ChosenDrive(list);
    m_driveDevInsts.clear();
    m_driveTexts.clear();
    // Screen readers hear what changed once the list shows it again.
    const CListBoxCH::Rebuilding rebuilding(list);
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

    // The timer rebuilds every 3 seconds while a label cannot be read: a
    // choice that did not outlive a rebuild could hardly ever be ejected.
    list.SetChoice(RowOf(chosen));
    if (list.GetCount() == 0) {
        Append(0, std::string(entry_text::kNoDrivesFound), IDI_NO_DRIVES, list);
        list.SetHorizontalExtent(0);
    }

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

// The device instance names a drive across rebuilds; 0 (the placeholder, or
// no row chosen) names none.
DEVINST DriveTable::ChosenDrive(const CListBoxCH& list) const {
    const int entry = EntryForRow(list.m_chosenIndex);
    return entry < 0 ? 0 : m_driveDevInsts[entry];
}

int DriveTable::RowOf(DEVINST devInst) const {
    if (devInst == 0) return -1;
    const int count = static_cast<int>(m_driveDevInsts.size());
    for (int entry = 0; entry < count; ++entry) {
        if (m_driveDevInsts[entry] == devInst) return count - 1 - entry;
    }
    return -1;
}

// Row and entry go in together or not at all, so that row r keeps showing
// entry count - 1 - r.
void DriveTable::Append(DEVINST devInst, const std::string& text, int iconId, CListBoxCH& list) {
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    if (!list.AddItem(text.c_str(), icon)) return;
    m_driveDevInsts.push_back(devInst);
    m_driveTexts.push_back(text);
}
