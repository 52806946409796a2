// The one place the Windows SDK headers are pulled in, in the order they need.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

// These headers must come in this order: windows.h first, the rest need it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <winioctl.h>
#include <dbt.h>
// clang-format on
