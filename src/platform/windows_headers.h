// The one place the Windows SDK headers are pulled in, in the order they need.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

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
