// How a drive-list refresh (DriveTable::Rebuild, what RefreshDriveList runs)
// scales with the disks and volumes attached: time per refresh and the number
// of DeviceApi calls, on simulated machines of 1 to 26 USB disks and 1 to 64
// volumes, and on the machines of bench/machines/ (compiled in). Prints
// Markdown; a timing is reported, never judged.
//
//   refresh_bench.exe [seconds per cell, default 0.2]
//
// Exit code 1 when a refresh fails, lists other than the disks the machine
// was built with, varies its call count between runs, or leaves anything
// open on the machine: figures from such a run would not describe the program.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "bench_machines.h"
#include "drive_list_host.h"
#include "drives/drive_enumeration.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDiskCounts[] = {1, 2, 4, 8, 13, 26};
constexpr int kVolumeCounts[] = {1, 8, 16, 32, 64};
constexpr std::size_t kMinRepetitions = 20;
// Keeps the slowest cells from running for minutes when a short time is asked.
constexpr std::size_t kMaxRepetitions = 20000;
constexpr ULONGLONG kGB = 1024ull * 1024 * 1024;
// C: first, as a system disk has it; A: and B: last, as Windows hands them out.
constexpr char kLetterOrder[] = "CDEFGHIJKLMNOPQRSTUVWXYZAB";
constexpr int kLetters = 26;

enum class Order {
    UsbVolumesLast,   // every search passes the internal disk's volumes first
    UsbVolumesFirst,  // each disk's volume is among the first the search returns
};

const char* OrderName(Order order) {
    return order == Order::UsbVolumesLast ? "USB disks' volumes last, in disk order"
                                          : "USB disks' volumes first, in disk order";
}

// What a machine was built with, to check the refresh listed exactly that.
struct Expected {
    std::vector<std::string> entryStarts;  // per USB disk, in device order
};

struct Built {
    MachineDescription description;
    Expected expected;
};

std::string Padded(int value) {
    char text[8];
    std::snprintf(text, sizeof(text), "%02d", value);
    return text;
}

SimVolume SizedVolume(DWORD diskNumber, std::string mountPath, std::string label) {
    SimVolume volume = MakeVolume(diskNumber, std::move(mountPath), std::move(label));
    volume.totalBytes = 16 * kGB;
    volume.freeBytes = 5 * kGB;
    return volume;
}

// The system disk 0 (not USB, so examined but never listed), USB disks 1..D.
// The first min(D, V) USB disks get one volume each on a drive letter; the
// rest of the V volumes lie on the system disk, on drive letters while some
// are left and then on folders, which the refresh cannot open and so passes
// over sooner. USB disks beyond V have no volume: their search walks all.
Built BuildMachine(int disks, int volumes, Order order) {
    Built built;
    SimDisk system = MakeUsbDisk(0, "WDC WD10EZEX-00BN5A0");
    system.enumerator = "SCSI";
    system.parentStatus = DN_STARTED | DN_DRIVER_LOADED;
    system.eject = EjectBehaviour::Vetoed;
    built.description.disks.push_back(system);
    for (int n = 1; n <= disks; ++n) {
        // Long enough that, as with real names, the property buffer sized for
        // "USBSTOR" is read again.
        built.description.disks.push_back(
            MakeUsbDisk(static_cast<DWORD>(n), "Generic Flash Disk " + Padded(n) + " USB Device"));
    }

    const int usbVolumes = std::min(disks, volumes);
    const int systemVolumes = volumes - usbVolumes;
    const int systemLettered = std::min(systemVolumes, kLetters - usbVolumes);

    std::vector<SimVolume> onSystem;
    for (int i = 0; i < systemVolumes; ++i) {
        const std::string mount = i < systemLettered ? std::string(1, kLetterOrder[i]) + ":\\"
                                                     : "C:\\mnt\\v" + Padded(i + 1) + "\\";
        onSystem.push_back(SizedVolume(0, mount, "DATA" + Padded(i + 1)));
    }
    std::vector<SimVolume> onUsb;
    for (int n = 1; n <= disks; ++n) {
        if (n > usbVolumes) {
            built.expected.entryStarts.push_back("(?:) Not Formatted\n");
            continue;
        }
        const char letter = kLetterOrder[systemLettered + n - 1];
        onUsb.push_back(SizedVolume(static_cast<DWORD>(n), std::string(1, letter) + ":\\",
                                    "STICK" + Padded(n)));
        built.expected.entryStarts.push_back(std::string("(") + letter + ":) STICK" + Padded(n) +
                                             "\n");
    }

    auto& all = built.description.volumes;
    const auto& first = order == Order::UsbVolumesLast ? onSystem : onUsb;
    const auto& second = order == Order::UsbVolumesLast ? onUsb : onSystem;
    all.insert(all.end(), first.begin(), first.end());
    all.insert(all.end(), second.begin(), second.end());
    return built;
}

// The machines of bench/machines/, and the start of each entry a refresh
// must list on them, in device order.
struct FileMachine {
    const char* file;
    std::string_view json;
    std::vector<std::string> entryStarts;
};

std::vector<FileMachine> FileMachines() {
    const std::vector<std::string> sticks{"(E:) STICK01\n", "(F:) STICK02\n", "(G:) STICK03\n",
                                          "(H:) STICK04\n"};
    const std::vector<std::string> mixed{"(E:) STICK01\n", "(F:) SSD01\n", "(G:) STICK02\n",
                                         "(H:) SSD02\n"};
    return {{"usbstor_only.json", kMachine_usbstor_only, sticks},
            {"mixed.json", kMachine_mixed, mixed}};
}

struct Figures {
    int disks = 0;
    int volumes = 0;
    std::string machine;  // a file of bench/machines/, or empty
    std::size_t listed = 0;
    double medianUs = 0;
    double p90Us = 0;
    std::size_t repetitions = 0;
    double hiddenMedianUs = 0;
    double scanMedianUs = 0;
    std::size_t calls = 0;
    std::size_t getLastErrorCalls = 0;
    std::size_t configManagerCalls = 0;
    std::string leaks;
};

double Percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    // Nearest rank: the smallest sample with at least `fraction` of them at or below it.
    std::size_t rank = static_cast<std::size_t>(fraction * static_cast<double>(samples.size()));
    if (static_cast<double>(rank) < fraction * static_cast<double>(samples.size())) ++rank;
    return samples[std::max<std::size_t>(rank, 1) - 1];
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// The program's message loop paints between refreshes; doing the same here,
// untimed, keeps paint work queued by one refresh out of the next one's time.
void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Runs `once` until both the minimum count and the time budget are reached,
// with `between` untimed before each run; answers each run's microseconds.
template <typename Between, typename Once>
std::vector<double> TimeRuns(double secondsPerCell, Between between, Once once) {
    std::vector<double> samples;
    const auto budget = std::chrono::duration<double>(secondsPerCell);
    const Clock::time_point start = Clock::now();
    while (samples.size() < kMinRepetitions ||
           (Clock::now() - start < budget && samples.size() < kMaxRepetitions)) {
        between();
        const Clock::time_point before = Clock::now();
        once();
        const Clock::time_point after = Clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(after - before).count());
    }
    return samples;
}

// A problem that makes the figures meaningless; the run ends with exit code 1.
struct BenchFailure {
    std::string what;
};

void CheckListing(const DriveTable& table, const Expected& expected, const std::string& cell) {
    if (table.m_driveTexts.size() != expected.entryStarts.size()) {
        throw BenchFailure{cell + std::to_string(table.m_driveTexts.size()) + " entries listed"};
    }
    for (std::size_t i = 0; i < expected.entryStarts.size(); ++i) {
        if (table.m_driveTexts[i].rfind(expected.entryStarts[i], 0) != 0) {
            throw BenchFailure{cell + "entry " + std::to_string(i) + " reads \"" +
                               table.m_driveTexts[i] + "\""};
        }
    }
}

std::size_t CountConfigManagerCalls(const SimulatedMachine& machine) {
    return static_cast<std::size_t>(std::count_if(
        machine.Journal().begin(), machine.Journal().end(),
        [](const JournalEntry& entry) { return entry.function.rfind("CM_", 0) == 0; }));
}

// `cell` names the machine in a failure.
Figures Measure(DriveListHost& host, RecordingSystemApi& system, Built built,
                const std::string& cell, double secondsPerCell) {
    const Expected expected = built.expected;
    Figures figures;
    figures.disks = static_cast<int>(built.description.disks.size());
    figures.volumes = static_cast<int>(built.description.volumes.size());
    SimulatedMachine machine(std::move(built.description));
    const auto refresh = [&] {
        if (host.table.Rebuild(machine, system, host.list, host.m_hWnd) != 0) {
            throw BenchFailure{"the device set could not be had"};
        }
    };

    // The warm-up refresh also gives the call count every timed one must repeat.
    machine.ClearJournal();
    refresh();
    CheckListing(host.table, expected, cell);
    figures.calls = machine.CallNames().size();
    figures.getLastErrorCalls = machine.CountCalls("GetLastError");
    figures.configManagerCalls = CountConfigManagerCalls(machine);
    figures.listed = expected.entryStarts.size();

    const auto checkCalls = [&] {
        if (machine.Journal().size() != figures.calls) {
            throw BenchFailure{
                "the call count changed between refreshes: " + std::to_string(figures.calls) +
                " then " + std::to_string(machine.Journal().size())};
        }
    };
    // Clearing keeps the journal from growing across runs; it is the
    // machine's bookkeeping, not the refresh's work, so it stays untimed.
    const auto timeRefreshes = [&] {
        const std::vector<double> timed = TimeRuns(
            secondsPerCell,
            [&] {
                checkCalls();
                PumpMessages();
                machine.ClearJournal();
            },
            refresh);
        checkCalls();
        CheckListing(host.table, expected, cell);
        return timed;
    };
    const std::vector<double> samples = timeRefreshes();
    figures.repetitions = samples.size();
    figures.medianUs = Median(samples);
    figures.p90Us = Percentile(samples, 0.9);

    // Refreshes also come while the window sits hidden in the tray; without a
    // shown list box, Wine has no X11 window to update row by row.
    ::ShowWindow(host.m_hWnd, SW_HIDE);
    const std::vector<double> hiddenSamples = timeRefreshes();
    ::ShowWindow(host.m_hWnd, SW_SHOWNA);
    figures.hiddenMedianUs = Median(hiddenSamples);

    // The refresh's DeviceApi calls are all the search's: timed without the
    // list box, they show what the search costs and what the window costs.
    const std::vector<double> searchSamples = TimeRuns(
        secondsPerCell,
        [&] {
            checkCalls();
            machine.ClearJournal();
        },
        [&] { ScanUsbDrives(machine); });
    checkCalls();
    figures.scanMedianUs = Median(searchSamples);

    figures.leaks = machine.Leaks();
    return figures;
}

void PrintTable(const std::vector<Figures>& rows) {
    std::printf(
        "| Disks | Volumes | Median us | p90 us | Runs | Hidden window, median us | Search only, "
        "median us | OS calls / refresh | of which GetLastError | Calls / (disk x volume) | Leaks "
        "|\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (const Figures& f : rows) {
        std::printf("| %d | %d | %.1f | %.1f | %zu | %.1f | %.1f | %zu | %zu | %.2f | %s |\n",
                    f.disks, f.volumes, f.medianUs, f.p90Us, f.repetitions, f.hiddenMedianUs,
                    f.scanMedianUs, f.calls, f.getLastErrorCalls,
                    static_cast<double>(f.calls) / (f.disks * f.volumes),
                    f.leaks.empty() ? "none" : "LEAKS");
    }
}

void PrintFileTable(const std::vector<Figures>& rows) {
    std::printf(
        "| Machine | Disks | Listed | Volumes | Median us | p90 us | Runs | Hidden window, median "
        "us | Search only, median us | OS calls / refresh | of which CM_ | Leaks |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (const Figures& f : rows) {
        std::printf("| %s | %d | %zu | %d | %.1f | %.1f | %zu | %.1f | %.1f | %zu | %zu | %s |\n",
                    f.machine.c_str(), f.disks, f.listed, f.volumes, f.medianUs, f.p90Us,
                    f.repetitions, f.hiddenMedianUs, f.scanMedianUs, f.calls, f.configManagerCalls,
                    f.leaks.empty() ? "none" : "LEAKS");
    }
}

std::optional<double> ParseSeconds(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= 0) || value > 60) return std::nullopt;
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends, so the Markdown reads the same wherever it lands.
    _setmode(_fileno(stdout), _O_BINARY);

    double secondsPerCell = 0.2;
    if (argc > 2 || (argc == 2 && !ParseSeconds(argv[1]))) {
        std::fprintf(stderr, "usage: refresh_bench [seconds per cell, 0..60; default 0.2]\n");
        return 2;
    }
    if (argc == 2) secondsPerCell = *ParseSeconds(argv[1]);

    try {
        DriveListHost host;
        if (host.m_hWnd == nullptr) {
            std::fprintf(stderr,
                         "refresh_bench: the dialog could not be created (error %lu); "
                         "is there a display?\n",
                         ::GetLastError());
            return 1;
        }
        RecordingSystemApi system;

        std::printf("# Drive-list refresh on simulated machines\n\n");
        std::printf(
            "One refresh is `DriveTable::Rebuild` (what the main window's RefreshDriveList runs) "
            "against the simulated machine, filling the real list box of the main window's "
            "template, shown as when the user has the window open (Wine draws it on Xvfb): "
            "median, p90 and number of runs. *Hidden window* is the same refresh with the window "
            "hidden, as while the program sits in the tray. *Search only* times `ScanUsbDrives` "
            "alone, which makes every OS call of the refresh; the rest of a refresh is the list "
            "box.\n\n"
            "Each machine has a non-USB system disk (disk 0) besides the D USB disks. USB disks "
            "1..min(D, V) get one volume each on a drive letter; USB disks beyond V have none and "
            "their search walks every volume. The other V - D volumes lie on the system disk, on "
            "drive letters while letters last, then on folders such as `C:\\mnt\\v17\\`, "
            "which the refresh cannot open and so passes over with fewer calls.\n\n"
            "Per cell and per timing: a warm-up run, then at least %zu timed runs and at least "
            "%.2f s (at most %zu runs). Times include the simulated machine's own work (its "
            "journal above all), so they show how a refresh grows, not what it costs on real "
            "hardware. OS calls are the DeviceApi calls of one refresh, from the machine's "
            "journal; `GetLastError` is journaled and counted among them, and its own column "
            "says how many. Leaks: `SimulatedMachine::Leaks()` after all runs of the cell.\n\n",
            kMinRepetitions, secondsPerCell, kMaxRepetitions);

        bool leaked = false;
        for (Order order : {Order::UsbVolumesLast, Order::UsbVolumesFirst}) {
            std::vector<Figures> rows;
            for (int disks : kDiskCounts) {
                for (int volumes : kVolumeCounts) {
                    const std::string cell =
                        std::to_string(disks) + " disks, " + std::to_string(volumes) + " volumes: ";
                    rows.push_back(Measure(host, system, BuildMachine(disks, volumes, order), cell,
                                           secondsPerCell));
                    // The grid counts the USB disks; the system disk is always there.
                    rows.back().disks = disks;
                    rows.back().volumes = volumes;
                    if (!rows.back().leaks.empty()) {
                        leaked = true;
                        std::fprintf(stderr, "%d disks, %d volumes (%s) left open:\n%s\n", disks,
                                     volumes, OrderName(order), rows.back().leaks.c_str());
                    }
                }
            }
            std::printf("## %s%s\n\n", OrderName(order),
                        order == Order::UsbVolumesLast ? " (worst case)" : "");
            PrintTable(rows);
            std::printf("\n");
        }
        std::printf(
            "## The machines of bench/machines/\n\n"
            "`usbstor_only.json`: four USBSTOR sticks and nothing else. `mixed.json`: the same "
            "four listed drives, two of them UAS SSDs (SCSI disks under a USB device), after an "
            "internal SATA and an internal NVMe disk (SCSI disks under PCI controllers) whose "
            "volumes the search passes first. *of which CM_*: the configuration-manager calls of "
            "the refresh, the parent lookups and device ID reads that only SCSI disks cost.\n\n");
        std::vector<Figures> fileRows;
        for (const FileMachine& file : FileMachines()) {
            fileRows.push_back(
                Measure(host, system, Built{ParseMachineDescription(file.json), {file.entryStarts}},
                        std::string(file.file) + ": ", secondsPerCell));
            fileRows.back().machine = std::string("`") + file.file + "`";
            if (!fileRows.back().leaks.empty()) {
                leaked = true;
                std::fprintf(stderr, "%s left open:\n%s\n", file.file,
                             fileRows.back().leaks.c_str());
            }
        }
        PrintFileTable(fileRows);
        std::printf("\n");
        std::printf("Leaks after every cell: %s\n", leaked ? "FOUND (see standard error)" : "none");
        std::fflush(stdout);
        if (!system.calls.empty()) {
            // No label is unreadable, so no retry timer should be touched.
            std::fprintf(stderr, "refresh_bench: unexpected system calls, first %s\n",
                         system.calls.front().c_str());
            return 1;
        }
        if (leaked) return 1;
        // scripts/bench.sh takes a run without this line for one that was cut short.
        std::printf("\n<!-- complete -->\n");
        return 0;
    } catch (const BenchFailure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "refresh_bench: %s\n", failure.what.c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "refresh_bench: %s\n", error.what());
        return 1;
    }
}
