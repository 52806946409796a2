// A real dialog from the main window's template with the drive list bound to
// its list box and a drive table beside it: what RefreshDriveList works on,
// without the rest of the main window.
#pragma once

#include <string>
#include <vector>

#include "drives/drive_table.h"
#include "listbox/list_box_ch.h"
#include "platform/framework/dialog.h"
#include "platform/sim/machine_description.h"
#include "res/resource.h"

class DriveListHost : public CDialog {
public:
    // The list reaches `accessibility` (the real system when none) from the
    // moment it takes its window over.
    explicit DriveListHost(AccessibilityApi* accessibility = nullptr)
        : CDialog(IDD_KORVANE_SAFE_EJECT_DIALOG) {
        if (accessibility != nullptr) list.UseAccessibilityApi(*accessibility);
        Create(IDD_KORVANE_SAFE_EJECT_DIALOG, nullptr);
    }

    // The row records in list order, row 0 first.
    std::vector<std::string> RowTexts() const {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetCount(); ++row) texts.push_back(Row(row).m_text);
        return texts;
    }
    const CExtItem& Row(int row) const {
        return *static_cast<const CExtItem*>(list.GetItemDataPtr(row));
    }

    CListBoxCH list;
    DriveTable table;

protected:
    void DoDataExchange() override { DDX_Control(IDC_DRIVE_LIST, list); }
};

// A volume of `disk` with its sizes in megabytes.
inline SimVolume Volume(DWORD disk, const char* mount, std::optional<std::string> label,
                        ULONGLONG freeMB = 1, ULONGLONG totalMB = 2) {
    SimVolume volume = MakeVolume(disk, mount, std::move(label));
    volume.freeBytes = freeMB << 20;
    volume.totalBytes = totalMB << 20;
    return volume;
}
