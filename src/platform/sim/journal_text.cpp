#include "platform/sim/journal_text.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <utility>

namespace {

struct NamedValue {
    unsigned long value;
    const char* name;
};

constexpr NamedValue kErrors[] = {
    {ERROR_SUCCESS, "ERROR_SUCCESS"},
    {ERROR_INVALID_FUNCTION, "ERROR_INVALID_FUNCTION"},
    {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
    {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND"},
    {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
    {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {ERROR_INVALID_DATA, "ERROR_INVALID_DATA"},
    {ERROR_NO_MORE_FILES, "ERROR_NO_MORE_FILES"},
    {ERROR_NOT_READY, "ERROR_NOT_READY"},
    {ERROR_BAD_LENGTH, "ERROR_BAD_LENGTH"},
    {ERROR_INVALID_PARAMETER, "ERROR_INVALID_PARAMETER"},
    {ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER"},
    {ERROR_INVALID_NAME, "ERROR_INVALID_NAME"},
    {ERROR_FILENAME_EXCED_RANGE, "ERROR_FILENAME_EXCED_RANGE"},
    {ERROR_MORE_DATA, "ERROR_MORE_DATA"},
    {ERROR_NO_MORE_ITEMS, "ERROR_NO_MORE_ITEMS"},
    {ERROR_DEVICE_NOT_CONNECTED, "ERROR_DEVICE_NOT_CONNECTED"},
    {ERROR_INVALID_USER_BUFFER, "ERROR_INVALID_USER_BUFFER"},
    {ERROR_NO_SUCH_DEVINST, "ERROR_NO_SUCH_DEVINST"},
    {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {ERROR_FILE_EXISTS, "ERROR_FILE_EXISTS"},
};

constexpr NamedValue kConfigRets[] = {
    {CR_SUCCESS, "CR_SUCCESS"},
    {CR_INVALID_POINTER, "CR_INVALID_POINTER"},
    {CR_INVALID_FLAG, "CR_INVALID_FLAG"},
    {CR_INVALID_DEVNODE, "CR_INVALID_DEVNODE"},
    {CR_NO_SUCH_DEVNODE, "CR_NO_SUCH_DEVNODE"},
    {CR_FAILURE, "CR_FAILURE"},
    {CR_BUFFER_SMALL, "CR_BUFFER_SMALL"},
    {CR_REMOVE_VETOED, "CR_REMOVE_VETOED"},
    {CR_ACCESS_DENIED, "CR_ACCESS_DENIED"},
};

constexpr NamedValue kProperties[] = {
    {SPDRP_DEVICEDESC, "SPDRP_DEVICEDESC"},
    {SPDRP_HARDWAREID, "SPDRP_HARDWAREID"},
    {SPDRP_FRIENDLYNAME, "SPDRP_FRIENDLYNAME"},
    {SPDRP_ENUMERATOR_NAME, "SPDRP_ENUMERATOR_NAME"},
};

constexpr NamedValue kIoctls[] = {
    {IOCTL_STORAGE_GET_DEVICE_NUMBER, "IOCTL_STORAGE_GET_DEVICE_NUMBER"},
    {IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS"},
};

template <std::size_t N>
std::string NameOr(const NamedValue (&table)[N], unsigned long value, std::string fallback) {
    for (const NamedValue& entry : table) {
        if (entry.value == value) return entry.name;
    }
    return fallback;
}

std::string HexDigits(unsigned long long value, int width) {
    std::array<char, 20> digits{};
    auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16);
    (void)error;
    std::string text(digits.data(), end);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
    return text;
}

CallArgument Plain(std::string text) {
    return CallArgument{std::move(text), false};
}

}  // namespace

std::string JoinArguments(const CallArguments& arguments) {
    std::string text;
    for (const CallArgument& argument : arguments) {
        if (!text.empty()) text += ", ";
        text += argument.quoted ? "\"" + argument.text + "\"" : argument.text;
    }
    return text;
}

std::string HexText(unsigned long long value) {
    return std::string("0x") + HexDigits(value, 1);
}

std::string HandleText(const void* handle) {
    if (handle == nullptr) return "NULL";
    if (handle == INVALID_HANDLE_VALUE) return "INVALID_HANDLE_VALUE";
    return HexText(reinterpret_cast<std::uintptr_t>(handle));
}

std::string ErrorName(DWORD error) {
    return NameOr(kErrors, error, "error " + std::to_string(error));
}

std::string ConfigRetName(CONFIGRET result) {
    return NameOr(kConfigRets, result, "CONFIGRET " + HexText(result));
}

CallArgument StringArgument(const char* text) {
    if (text == nullptr) return Plain("NULL");
    return CallArgument{text, true};
}

CallArgument NumberArgument(unsigned long long value) {
    return Plain(std::to_string(value));
}

CallArgument HexArgument(unsigned long long value) {
    return Plain(HexText(value));
}

CallArgument HandleArgument(const void* handle) {
    return Plain(HandleText(handle));
}

// What an output pointer will receive is in the result, not here; the journal
// only tells whether the caller offered somewhere to put it.
CallArgument OutArgument(const void* pointer) {
    return Plain(pointer ? "out" : "NULL");
}

CallArgument BufferArgument(const void* pointer) {
    return Plain(pointer ? "in" : "NULL");
}

CallArgument GuidArgument(const GUID* guid) {
    if (guid == nullptr) return Plain("NULL");
    if (IsEqualGUID(*guid, GUID_DEVINTERFACE_DISK)) return Plain("GUID_DEVINTERFACE_DISK");
    // Appended piece by piece: GCC 12 takes "literal" + std::string&& for an
    // overlapping copy (-Wrestrict) once inlined.
    std::string text = "{";
    text += HexDigits(guid->Data1, 8) + "-" + HexDigits(guid->Data2, 4) + "-" +
            HexDigits(guid->Data3, 4) + "-";
    for (int i = 0; i < 8; ++i) {
        if (i == 2) text += "-";
        text += HexDigits(guid->Data4[i], 2);
    }
    return Plain(text + "}");
}

CallArgument PropertyArgument(DWORD property) {
    return Plain(NameOr(kProperties, property, HexText(property)));
}

CallArgument IoctlArgument(DWORD code) {
    return Plain(NameOr(kIoctls, code, HexText(code)));
}

CallArgument DevInfoArgument(const SP_DEVINFO_DATA* data) {
    if (data == nullptr) return Plain("NULL");
    return Plain("{DevInst " + HexText(data->DevInst) + "}");
}

// The simulated machine keeps the member index (plus one) in Reserved, as the
// real SetupAPI keeps its own bookkeeping there.
CallArgument InterfaceArgument(const SP_DEVICE_INTERFACE_DATA* data) {
    if (data == nullptr) return Plain("NULL");
    if (data->Reserved == 0) return Plain("{unset}");
    return Plain("{member " + std::to_string(data->Reserved - 1) + "}");
}
