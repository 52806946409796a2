// How the values of DeviceApi calls read in the simulated machine's journal:
// Win32 names where a reader looks for them, hex for handles, nodes and flags,
// strings exactly as passed.
#pragma once

#include <string>
#include <vector>

#include "platform/windows_headers.h"

// One argument as the journal shows it. A quoted argument is a string the
// caller passed; a fault plan matches arguments by their text without quotes.
struct CallArgument {
    std::string text;
    bool quoted = false;
};
using CallArguments = std::vector<CallArgument>;

std::string JoinArguments(const CallArguments& arguments);

CallArgument StringArgument(const char* text);
CallArgument NumberArgument(unsigned long long value);
CallArgument HexArgument(unsigned long long value);
CallArgument HandleArgument(const void* handle);
CallArgument OutArgument(const void* pointer);
CallArgument BufferArgument(const void* pointer);
CallArgument GuidArgument(const GUID* guid);
CallArgument PropertyArgument(DWORD property);
CallArgument IoctlArgument(DWORD code);
CallArgument DevInfoArgument(const SP_DEVINFO_DATA* data);
CallArgument InterfaceArgument(const SP_DEVICE_INTERFACE_DATA* data);

std::string HexText(unsigned long long value);
std::string HandleText(const void* handle);
std::string ErrorName(DWORD error);
std::string ConfigRetName(CONFIGRET result);
