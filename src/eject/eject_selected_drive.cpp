// The main window's eject command: Enter on the drive list or a double-click.
#include "app/main_dialog.h"
#include "eject/eject_request.h"

void CKorvane_Safe_EjectDlg::EjectSelectedDrive() {
    const int row = m_driveList.m_chosenIndex;
    if (row == -1) return;
    const int entry = EntryForRow(row);
    // A row outside the table (left from a refresh that found no device set)
    // names no drive: the choice is cleared and nothing is read or ejected.
    if (entry < 0) {
        m_driveList.ClearChoice();
        return;
    }
    // Copied before the warning box can run a refresh in its message loop.
    const EjectTarget target{m_driveDevInsts[entry], m_driveTexts[entry]};
    const EjectOutcome outcome = RequestEject(m_devices, m_system, m_hWnd, target);
    switch (outcome) {
        case EjectOutcome::WardenActive:
            return;  // the row stays chosen
        case EjectOutcome::Placeholder:
            m_driveList.ClearChoice();
            return;
        case EjectOutcome::ParentUnknown:
        case EjectOutcome::Requested:
        case EjectOutcome::SessionRefused:
            // The choice is used up, also when the system refused the eject.
            m_driveList.ClearChoice();
            RefreshDriveList();
            // Windows keeps quiet about a session it refuses: without a word
            // the user would think nothing happened. The box comes last, so
            // nothing here touches the list after it closes.
            if (outcome == EjectOutcome::SessionRefused) {
                ShowMessage(eject_request::kSessionMayNotEjectText);
            }
            return;
    }
}
