// The real main window, created modeless from its template, on the default
// simulated machine and a recording SystemApi, for tests that send it the
// messages Windows and the user would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_dialog.h"
#include "platform/sim/default_machine.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"
#include "res/resource.h"

// A resource of this program as stored; empty when there is none.
inline std::string_view ResourceBytes(UINT id, const char* type) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return {};
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    return {bytes, ::SizeofResource(module, found)};
}

inline MachineDescription MachineOf(std::vector<SimDisk> disks, std::vector<SimVolume> volumes) {
    return {std::move(disks), std::move(volumes), {}};
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { CreateWindowOn(DefaultMachineDescription()); }
    void TearDown() override {
        dialog.reset();
        EXPECT_EQ(machine->Leaks(), "");
    }

    void CreateWindowOn(MachineDescription description) {
        dialog.reset();
        machine = std::make_unique<SimulatedMachine>(std::move(description));
        machine->SetJournalListener(journalListener);
        machine->SetProcessCheck(
            [this](const std::string& name) { return system.IsRunning(name); });
        dialog = std::make_unique<CKorvane_Safe_EjectDlg>(*machine, system);
        ASSERT_TRUE(dialog->Create(IDD_KORVANE_SAFE_EJECT_DIALOG, nullptr));
    }

    HWND Window() const { return dialog->m_hWnd; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(Window(), message, wParam, lParam);
    }
    void Command(UINT id, UINT code = 0) const {
        HWND control = id < 0x8000 ? ::GetDlgItem(Window(), id) : nullptr;
        Send(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    }
    CListBoxCH& List() const { return dialog->m_driveList; }

    std::function<void(const JournalEntry&)> journalListener;  // each new machine's
    std::unique_ptr<SimulatedMachine> machine;
    RecordingSystemApi system;
    std::unique_ptr<CKorvane_Safe_EjectDlg> dialog;
};
