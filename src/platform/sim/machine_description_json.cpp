// Reading a machine description from the JSON format of
// docs/simulated-machine.md. Strict on purpose: a key nobody reads is a typo,
// and a typo that silently leaves a default in place makes a test test nothing.
#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "platform/sim/machine_description.h"
#include "platform/windows_headers.h"

namespace {

using nlohmann::json;

constexpr unsigned long long kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr unsigned long long kMax64 = std::numeric_limits<unsigned long long>::max();

[[noreturn]] void Fail(const std::string& where, const std::string& problem) {
    throw std::runtime_error("machine description: " + where + ": " + problem);
}

// Node numbers and status bits read best in hex, so "0x4000" is accepted
// beside 16384.
std::optional<unsigned long long> HexString(const json& value) {
    if (!value.is_string()) return std::nullopt;
    const std::string& text = value.get_ref<const std::string&>();
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    unsigned long long number = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data() + 2, end, number, 16);
    if (error != std::errc() || stop != end) return std::nullopt;
    return number;
}

// JSON text is UTF-8, but the program reads every name, label and path
// through an A function, which hands it over in the ANSI code page: a string
// with characters above 127 reaches the program as Windows would give it, and
// a character that code page lacks comes as Windows gives it too (its default
// character, "?").
std::string AnsiFromUtf8(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int wideSize = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wideSize);
    const int ansiSize =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(ansiSize), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, ansi.data(), ansiSize, nullptr,
                          nullptr);
    return ansi;
}

// One JSON object, remembering which keys were asked for.
class ObjectReader {
public:
    ObjectReader(const json& object, std::string where)
        : m_object(object), m_where(std::move(where)) {
        if (!object.is_object()) Fail(m_where, "expected an object");
    }

    const json* Find(const char* key) {
        m_read.insert(key);
        auto found = m_object.find(key);
        return found == m_object.end() ? nullptr : &*found;
    }

    std::optional<std::string> OptionalString(const char* key) {
        const json* value = Find(key);
        if (value == nullptr || value->is_null()) return std::nullopt;
        if (!value->is_string()) FailKey(key, "expected a string or null");
        return AnsiFromUtf8(value->get<std::string>());
    }

    std::string String(const char* key, std::string fallback) {
        const json* value = Find(key);
        if (value == nullptr) return fallback;
        if (!value->is_string()) FailKey(key, "expected a string");
        return AnsiFromUtf8(value->get<std::string>());
    }

    std::string RequiredString(const char* key) {
        if (m_object.find(key) == m_object.end()) FailKey(key, "missing");
        return String(key, {});
    }

    bool Bool(const char* key, bool fallback) {
        const json* value = Find(key);
        if (value == nullptr) return fallback;
        if (!value->is_boolean()) FailKey(key, "expected true or false");
        return value->get<bool>();
    }

    std::optional<unsigned long long> OptionalUnsigned(const char* key, unsigned long long max) {
        const json* value = Find(key);
        if (value == nullptr || value->is_null()) return std::nullopt;
        return UnsignedValue(*value, key, max);
    }

    unsigned long long Unsigned(const char* key, unsigned long long fallback,
                                unsigned long long max) {
        return OptionalUnsigned(key, max).value_or(fallback);
    }

    unsigned long long RequiredUnsigned(const char* key, unsigned long long max) {
        auto number = OptionalUnsigned(key, max);
        if (!number) FailKey(key, "missing");
        return *number;
    }

    double Number(const char* key, double fallback) {
        const json* value = Find(key);
        if (value == nullptr) return fallback;
        if (!value->is_number()) FailKey(key, "expected a number");
        return value->get<double>();
    }

    // A single value or a list of them.
    std::vector<std::string> Strings(const char* key) {
        std::vector<std::string> strings;
        for (const json& item : ListOf(key)) {
            if (!item.is_string()) FailKey(key, "expected a string or a list of strings");
            strings.push_back(AnsiFromUtf8(item.get<std::string>()));
        }
        return strings;
    }

    std::vector<unsigned long long> Unsigneds(const char* key, unsigned long long max) {
        std::vector<unsigned long long> numbers;
        for (const json& item : ListOf(key)) numbers.push_back(UnsignedValue(item, key, max));
        return numbers;
    }

    void RejectUnknownKeys() const {
        for (const auto& [key, value] : m_object.items()) {
            if (m_read.count(key) == 0) Fail(m_where, "unknown key \"" + key + "\"");
        }
    }

    [[noreturn]] void FailKey(const char* key, const std::string& problem) const {
        Fail(m_where + "." + key, problem);
    }

private:
    std::vector<json> ListOf(const char* key) {
        const json* value = Find(key);
        if (value == nullptr) return {};
        if (value->is_array()) return value->get<std::vector<json>>();
        return {*value};
    }

    unsigned long long UnsignedValue(const json& value, const char* key, unsigned long long max) {
        std::optional<unsigned long long> number = HexString(value);
        if (value.is_number_unsigned()) number = value.get<unsigned long long>();
        if (!number) FailKey(key, "expected an unsigned whole number or a \"0x...\" string");
        if (*number > max) FailKey(key, "too large");
        return *number;
    }

    const json& m_object;
    std::string m_where;
    std::set<std::string> m_read;
};

EjectBehaviour ReadEject(ObjectReader& reader) {
    const std::string eject = reader.String("eject", "granted");
    if (eject == "granted") return EjectBehaviour::Granted;
    if (eject == "vetoed") return EjectBehaviour::Vetoed;
    if (eject == "stays") return EjectBehaviour::Stays;
    if (eject == "accessDenied") return EjectBehaviour::AccessDenied;
    reader.FailKey("eject", "expected \"granted\", \"vetoed\", \"stays\" or \"accessDenied\"");
}

SimDisk ReadDisk(const json& object, const std::string& where) {
    ObjectReader reader(object, where);
    SimDisk disk;
    disk.devInst = static_cast<DEVINST>(reader.RequiredUnsigned("devInst", kMax32));
    disk.parent = static_cast<DEVINST>(reader.RequiredUnsigned("parent", kMax32));
    disk.parentId = reader.OptionalString("parentId");
    disk.parentStatus =
        static_cast<ULONG>(reader.Unsigned("parentStatus", disk.parentStatus, kMax32));
    disk.enumerator = reader.String("enumerator", disk.enumerator);
    disk.friendlyName = reader.OptionalString("friendlyName");
    disk.hasInterface = reader.Bool("interface", true);
    disk.diskNumber = static_cast<DWORD>(reader.RequiredUnsigned("diskNumber", kMax32));
    disk.interfacePath = reader.String("interfacePath", MadeUpInterfacePath(disk));
    disk.openable = reader.Bool("openable", true);
    disk.deviceNumberReadable = reader.Bool("deviceNumberReadable", true);
    disk.parentLookupFails = reader.Bool("parentLookupFails", false);
    disk.parentStatusFails = reader.Bool("parentStatusFails", false);
    disk.eject = ReadEject(reader);
    disk.present = reader.Bool("present", true);
    reader.RejectUnknownKeys();
    return disk;
}

SimVolume ReadVolume(const json& object, const std::string& where) {
    ObjectReader reader(object, where);
    SimVolume volume;
    volume.guidPath = reader.RequiredString("guidPath");
    volume.label = reader.OptionalString("label");
    if (!reader.Bool("labelReadable", true)) volume.label.reset();
    volume.mountPaths = reader.Strings("mountPaths");
    if (auto disk = reader.OptionalUnsigned("diskNumber", kMax32)) {
        volume.diskNumber = static_cast<DWORD>(*disk);
    }
    volume.extentCount = static_cast<DWORD>(reader.Unsigned("extentCount", 1, kMax32));
    volume.freeBytes = reader.Unsigned("freeBytes", 0, kMax64);
    volume.availableBytes = reader.OptionalUnsigned("availableBytes", kMax64);
    volume.totalBytes = reader.Unsigned("totalBytes", 0, kMax64);
    volume.freeSpaceFails = reader.Bool("freeSpaceFails", false);
    volume.openable = reader.Bool("openable", true);
    volume.heldBy = reader.String("heldBy", "");
    reader.RejectUnknownKeys();
    return volume;
}

FaultRule ReadFaultRule(const json& object, const std::string& where) {
    ObjectReader reader(object, where);
    FaultRule rule;
    rule.always = reader.Bool("always", false);
    for (unsigned long long n : reader.Unsigneds("onCall", kMax32)) {
        if (n == 0) reader.FailKey("onCall", "calls are counted from 1");
        rule.onCalls.push_back(static_cast<unsigned>(n));
    }
    rule.arguments = reader.Strings("argument");
    rule.rate = reader.Number("rate", 0.0);
    if (!(rule.rate >= 0.0 && rule.rate <= 1.0)) reader.FailKey("rate", "expected 0 to 1");
    rule.seed = static_cast<std::uint32_t>(reader.Unsigned("seed", 0, kMax32));
    if (auto error = reader.OptionalUnsigned("error", kMax32))
        rule.error = static_cast<DWORD>(*error);
    reader.RejectUnknownKeys();
    return rule;
}

template <class Item, class ReadItem>
std::vector<Item> ReadList(ObjectReader& reader, const char* key, ReadItem readItem) {
    std::vector<Item> items;
    const json* list = reader.Find(key);
    if (list == nullptr) return items;
    if (!list->is_array()) reader.FailKey(key, "expected a list");
    for (std::size_t i = 0; i < list->size(); ++i) {
        items.push_back(readItem((*list)[i], std::string(key) + "[" + std::to_string(i) + "]"));
    }
    return items;
}

FaultPlan ReadFaults(ObjectReader& reader) {
    FaultPlan plan;
    const json* faults = reader.Find("faults");
    if (faults == nullptr) return plan;
    if (!faults->is_object()) reader.FailKey("faults", "expected an object keyed by function name");
    for (const auto& [function, rule] : faults->items()) {
        const std::string where = "faults." + function;
        if (!UsualInjectedError(function)) Fail(where, "not a DeviceApi function that can fail");
        plan.SetRule(function, ReadFaultRule(rule, where));
    }
    return plan;
}

json ParseJson(std::string_view text) {
    try {
        // Comments are allowed, so a description file can say why a disk is there.
        return json::parse(text.begin(), text.end(), nullptr, true, true);
    } catch (const json::parse_error& error) {
        throw std::runtime_error(std::string("machine description is not valid JSON: ") +
                                 error.what());
    }
}

}  // namespace

MachineDescription ParseMachineDescription(std::string_view text) {
    const json document = ParseJson(text);
    ObjectReader reader(document, "top level");
    MachineDescription description;
    description.disks = ReadList<SimDisk>(reader, "disks", ReadDisk);
    description.volumes = ReadList<SimVolume>(reader, "volumes", ReadVolume);
    description.faults = ReadFaults(reader);
    reader.RejectUnknownKeys();
    ValidateMachine(description.disks, description.volumes);
    return description;
}

MachineDescription ReadMachineDescriptionFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read the machine description \"" + path + "\"");
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    try {
        return ParseMachineDescription(text);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
}
