// The table of listed drives the main window keeps beside its drive list:
// entry i holds the device instance and the text of the i-th disk found, and
// list row r shows entry count - 1 - r. Rebuilding replaces table and rows
// together, keeps the user's choice on the drive it named while that drive
// is still listed, and runs the label-retry timer while some label cannot be
// read.
#pragma once

#include <string>
#include <vector>

#include "listbox/list_box_ch.h"
#include "platform/device_api.h"
#include "platform/system_api.h"

class DriveTable {
public:
    static constexpr UINT_PTR kRetryTimerId = 1;
    static constexpr UINT kRetryIntervalMs = 3000;

    // 0 after a rebuild (also when no drive was found); 1 when the device set
    // could not be had, which leaves table and list empty and the timer as it was.
    int Rebuild(DeviceApi& devices, SystemApi& system, CListBoxCH& list, HWND timerOwner);

    // The entry behind a list row, or -1 when the row names no entry.
    int EntryForRow(int row) const;

    // Sets the list's scroll extent again at its DPI, after that changed.
    void ScaleHorizontalExtent(const CListBoxCH& list) const;

    std::vector<DEVINST> m_driveDevInsts;
    std::vector<std::string> m_driveTexts;
    UINT_PTR m_retryTimer = 0;

private:
    DEVINST ChosenDrive(const CListBoxCH& list) const;
    // The row that shows the drive, or -1 when it is not listed.
    int RowOf(DEVINST devInst) const;
    void Append(DEVINST devInst, const std::string& text, int iconId, CListBoxCH& list);
    void SetHorizontalExtent(const CListBoxCH& list, int pixelsAt96);

    int m_horizontalExtent = 0;  // at 100% display scale
};
