// GUID_DEVINTERFACE_DISK is declared by <winioctl.h> with DEFINE_GUID; exactly
// one translation unit must define it, with <initguid.h> first. winioctl.h's
// DEFINE_GUID block has no include guard, so no other file may do this.
// clang-format off
#include <windows.h>

#include <initguid.h>

#include <winioctl.h>
// clang-format on
