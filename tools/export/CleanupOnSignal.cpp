#include "tools/export/CleanupOnSignal.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include <limits.h>
#include <unistd.h>

namespace {
// A conversion holds at most a handful of temporary files at once.
constexpr int kSlots = 16;
enum SlotState : int { kFree, kFilling, kHeld };

// Plain arrays and lock-free atomics: all the handler may touch.
char gPaths[kSlots][PATH_MAX];
std::atomic<int> gStates[kSlots];
std::atomic<bool> gInstalled{false};

static_assert(std::atomic<int>::is_always_lock_free);

// The signals that stop the process from outside, and those of a fault
// inside it; each handler the process had before for the latter (a
// sanitizer's report) is kept and runs after the clean-up.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction gBeforeFault[std::size(kFaultSignals)];

void RemoveTemporaries()
{
    for (int i = 0; i < kSlots; ++i) {
        if (gStates[i].load() == kHeld)
            unlink(gPaths[i]);
    }
}

void RemoveAndDie(int signal)
{
    RemoveTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The signal stays blocked until this returns; it is then taken by the
// handler from before (or the default action, which ends the process), and
// a fault that comes again when its instruction runs again is taken there too.
void RemoveAndPassOn(int signal)
{
    RemoveTemporaries();
    for (size_t i = 0; i < std::size(kFaultSignals); ++i) {
        if (kFaultSignals[i] == signal)
            sigaction(signal, &gBeforeFault[i], nullptr);
    }
    std::raise(signal);
}
}  // namespace

void RemoveTemporariesOnSignal()
{
    if (gInstalled.exchange(true))
        return;
    struct sigaction action {};
    action.sa_handler = RemoveAndDie;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals)
        sigaddset(&action.sa_mask, signal);
    for (int signal : kStopSignals)
        sigaction(signal, &action, nullptr);
    struct sigaction fault {};
    fault.sa_handler = RemoveAndPassOn;
    sigemptyset(&fault.sa_mask);
    for (size_t i = 0; i < std::size(kFaultSignals); ++i)
        sigaction(kFaultSignals[i], &fault, &gBeforeFault[i]);
    std::signal(SIGXFSZ, SIG_IGN);
}

int RegisterTemporary(const char* path)
{
    const size_t length = std::strlen(path);
    if (length >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (gStates[i].compare_exchange_strong(expected, kFilling)) {
            std::memcpy(gPaths[i], path, length + 1);
            gStates[i].store(kHeld);
            return i;
        }
    }
    return -1;
}

void ForgetTemporary(int slot)
{
    if (slot >= 0 && slot < kSlots)
        gStates[slot].store(kFree);
}
