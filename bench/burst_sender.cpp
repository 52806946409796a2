// Sends bursts of WM_DEVICECHANGE/DBT_DEVICEARRIVAL to the running program's
// main window, as Windows does when a hub full of drives comes up, and
// measures how long the window is kept from answering. One thread sends the
// burst. Two probes run meanwhile:
// - a sent probe: WM_NULL every 5 ms; the longest time between two answers.
//   Sent messages are served between the burst's own, so this shows the
//   longest stretch the window spends inside one handler;
// - a posted probe: LB_SETLOCALE posted to the drive list every 5 ms, its
//   effect read back with sent LB_GETLOCALE every 1 ms. Posted messages,
//   like input and paints, wait until no sent message is pending, so this
//   shows how long a key press or click would wait. The probe swaps between
//   two English locales, which sort the rows' ASCII texts alike, and puts the
//   list's own back at the end; nothing in the program sets it.
//
//   burst_sender.exe [messages per burst, default 50] [bursts, default 1]
// Prints key=value lines (bench/burst_bench.py turns them into Markdown):
//   idle sent_gap_ms=... posted_wait_ms=...
//   burst=<n> messages=... total_ms=... median_ms=... p90_ms=... max_ms=...
//         pending_percent=... sent_gap_ms=... posted_wait_ms=... posted_probes=...
//   rows_before=... rows_after=...
// Exit code 2 when the window is not there, 1 when it stops answering.
#include <fcntl.h>
#include <io.h>
// dbt.h needs the types windows.h declares.
// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kMainCaption[] = "Korvane Vuru DIZ Azova v1.43";
constexpr auto kProbeInterval = std::chrono::milliseconds(5);
// Long enough for the slowest machine's burst; a message that waits longer
// is a hang, and the run fails rather than report it as a figure.
constexpr UINT kSendTimeoutMs = 60000;
constexpr auto kAnswerTimeout = std::chrono::milliseconds(kSendTimeoutMs);
// Probes alone before each burst, so that the first gap starts at an answer
// given before the burst did.
constexpr auto kLeadIn = std::chrono::milliseconds(50);
// Lets the paints a burst queued drain before the next burst starts.
constexpr DWORD kPauseBetweenBurstsMs = 300;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// Nearest rank, as refresh_bench computes it.
double Percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    std::size_t rank = static_cast<std::size_t>(fraction * static_cast<double>(samples.size()));
    if (static_cast<double>(rank) < fraction * static_cast<double>(samples.size())) ++rank;
    return samples[std::max<std::size_t>(rank, 1) - 1];
}

void SleepUntil(Clock::time_point moment) {
    const auto wait = moment - Clock::now();
    if (wait > Clock::duration::zero()) {
        ::Sleep(static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
    }
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs,
                                 result) != 0;
}

// A probe thread: runs `once` every kProbeInterval (or at once after a late
// one) until stopped, and keeps the (start, end) of every run that succeeded.
class Probe {
public:
    struct Sample {
        Clock::time_point start;
        Clock::time_point end;
    };

    template <typename Once>
    explicit Probe(Once once)
        : m_thread([this, once] {
              while (!m_stop) {
                  const Clock::time_point start = Clock::now();
                  const bool ok = once();
                  const Clock::time_point end = Clock::now();
                  if (ok) {
                      std::lock_guard<std::mutex> lock(m_mutex);
                      m_samples.push_back({start, end});
                  }
                  SleepUntil(start + kProbeInterval);
              }
          }) {}
    ~Probe() { Stop(); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

    // Waits until a run started after `moment` has succeeded.
    bool WaitSampleAfter(Clock::time_point moment) const {
        const Clock::time_point deadline = Clock::now() + kAnswerTimeout;
        while (Clock::now() < deadline) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_samples.empty() && m_samples.back().start > moment) return true;
            }
            ::Sleep(1);
        }
        return false;
    }

    // The samples from the last one that ended by `from` to the first one
    // started after `to`; empty when either end is missing.
    std::vector<Sample> Around(Clock::time_point from, Clock::time_point to) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto first = std::find_if(m_samples.rbegin(), m_samples.rend(),
                                  [&](const Sample& s) { return s.end <= from; });
        auto last = std::find_if(m_samples.begin(), m_samples.end(),
                                 [&](const Sample& s) { return s.start > to; });
        if (first == m_samples.rend() || last == m_samples.end()) return {};
        return std::vector<Sample>(first.base() - 1, last + 1);
    }

private:
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<Sample> m_samples;
    std::thread m_thread;  // last: starts once everything it uses is built
};

// The longest time between two answers of the sent probe.
double LongestGapMs(const std::vector<Probe::Sample>& samples) {
    double longest = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        longest = std::max(longest, Ms(samples[i].end - samples[i - 1].end));
    }
    return longest;
}

// The longest a posted message waited to be handled.
double LongestRunMs(const std::vector<Probe::Sample>& samples) {
    double longest = 0;
    for (const Probe::Sample& s : samples) longest = std::max(longest, Ms(s.end - s.start));
    return longest;
}

constexpr LCID kEnglishUs = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
constexpr LCID kEnglishUk = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), SORT_DEFAULT);

// Posts the other locale and reads the list's back until the list box has
// handled the posted message.
bool PostedRoundTrip(HWND list, LCID& locale) {
    locale = locale == kEnglishUk ? kEnglishUs : kEnglishUk;
    if (!::PostMessageA(list, LB_SETLOCALE, locale, 0)) return false;
    const Clock::time_point deadline = Clock::now() + kAnswerTimeout;
    DWORD_PTR seen = 0;
    while (Send(list, LB_GETLOCALE, 0, 0, &seen) && seen != locale) {
        if (Clock::now() > deadline) return false;
        ::Sleep(1);
    }
    return seen == locale;
}

int ListRows(HWND list) {
    DWORD_PTR rows = 0;
    return Send(list, LB_GETCOUNT, 0, 0, &rows) ? static_cast<int>(rows) : -1;
}

int Count(const char* text, int fallback) {
    if (text == nullptr) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value > 0 && value <= 100000 ? static_cast<int>(value)
                                                                       : -1;
}

int Fail(const char* what, int burst) {
    std::fprintf(stderr, "burst_sender: %s (burst %d, error %lu)\n", what, burst, ::GetLastError());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const int messages = Count(argc > 1 ? argv[1] : nullptr, 50);
    const int bursts = Count(argc > 2 ? argv[2] : nullptr, 1);
    if (argc > 3 || messages < 0 || bursts < 0) {
        std::fprintf(stderr, "usage: burst_sender [messages per burst] [bursts]\n");
        return 64;
    }
    HWND window = ::FindWindowA(nullptr, kMainCaption);
    HWND list = window ? ::FindWindowExA(window, nullptr, "ListBox", nullptr) : nullptr;
    if (list == nullptr) {
        std::fprintf(stderr, "burst_sender: no window \"%s\" with a list box\n", kMainCaption);
        return 2;
    }
    DWORD_PTR originalLocale = 0;
    if (!Send(list, LB_GETLOCALE, 0, 0, &originalLocale)) return Fail("no answer", 0);

    // What Windows sends with an arrival; the program does not read it, but
    // Wine copies it across processes by its size, so it must be real.
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << ('P' - 'A');

    const int rowsBefore = ListRows(list);
    Probe sent([window] {
        DWORD_PTR result = 0;
        return Send(window, WM_NULL, 0, 0, &result);
    });
    LCID locale = static_cast<LCID>(originalLocale);
    Probe posted([list, &locale] { return PostedRoundTrip(list, locale); });
    const auto bothAnswerAfter = [&](Clock::time_point moment) {
        return sent.WaitSampleAfter(moment) && posted.WaitSampleAfter(moment);
    };

    // The probes' own resolution, while nothing else is sent.
    if (!bothAnswerAfter(Clock::now())) return Fail("the window does not answer", 0);
    const Clock::time_point idleFrom = Clock::now();
    ::Sleep(200);
    const Clock::time_point idleTo = Clock::now();
    if (!bothAnswerAfter(idleTo)) return Fail("the window does not answer", 0);
    std::printf("idle sent_gap_ms=%.2f posted_wait_ms=%.2f\n",
                LongestGapMs(sent.Around(idleFrom, idleTo)),
                LongestRunMs(posted.Around(idleFrom, idleTo)));

    for (int burst = 1; burst <= bursts; ++burst) {
        std::this_thread::sleep_for(kLeadIn);
        std::vector<double> sendMs;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < messages; ++i) {
            const Clock::time_point before = Clock::now();
            DWORD_PTR result = 0;
            if (!Send(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume),
                      &result)) {
                return Fail("a device change was not answered", burst);
            }
            sendMs.push_back(Ms(Clock::now() - before));
        }
        const Clock::time_point end = Clock::now();
        if (!bothAnswerAfter(end)) return Fail("the window stopped answering", burst);
        const std::vector<Probe::Sample> sentSeen = sent.Around(start, end);
        const std::vector<Probe::Sample> postedSeen = posted.Around(start, end);
        if (sentSeen.empty() || postedSeen.empty()) return Fail("a probe lost track", burst);
        const double totalMs = Ms(end - start);
        std::printf(
            "burst=%d messages=%d total_ms=%.2f median_ms=%.3f p90_ms=%.3f max_ms=%.3f "
            "pending_percent=%.1f sent_gap_ms=%.2f posted_wait_ms=%.2f posted_probes=%zu\n",
            burst, messages, totalMs, Median(sendMs), Percentile(sendMs, 0.9),
            *std::max_element(sendMs.begin(), sendMs.end()),
            100 * std::accumulate(sendMs.begin(), sendMs.end(), 0.0) / totalMs,
            LongestGapMs(sentSeen), LongestRunMs(postedSeen), postedSeen.size());
        std::fflush(stdout);
        ::Sleep(kPauseBetweenBurstsMs);
    }
    sent.Stop();
    posted.Stop();
    DWORD_PTR ignored = 0;
    Send(list, LB_SETLOCALE, originalLocale, 0, &ignored);
    std::printf("rows_before=%d rows_after=%d\n", rowsBefore, ListRows(list));
    return 0;
}
