// Ends running processes by executable file name: older copies of this
// program at start-up, and the Warden drive's companion before that drive is
// ejected.
#pragma once

#include <functional>

#include "platform/system_api.h"

inline constexpr const char* kProgramExeName = "Korvane_Safe_Eject.exe";
inline constexpr DWORD kCompanionPauseMs = 1000;

// Ends every other "Korvane_Safe_Eject.exe", sparing the given process: the
// copy started last is the one that stays. A copy under another file name is
// neither ended nor ends others.
void TerminateOtherInstances(SystemApi& system, DWORD processIdToSpare);

// Ends every process of exactly this name (case-sensitive), then pauses one
// second to let them go; no pause when the process list cannot be read.
void TerminateProcessesByName(SystemApi& system, const char* exeName);

// Shows `visit` every process of one snapshot; answers whether the walk ran
// to the end (false when the process list cannot be read).
bool ForEachProcess(SystemApi& system, const std::function<void(const PROCESSENTRY32&)>& visit);
