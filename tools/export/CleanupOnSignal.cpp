#include "tools/export/CleanupOnSignal.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>

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

void RemoveAndDie(int signal)
{
    for (int i = 0; i < kSlots; ++i) {
        if (gStates[i].load() == kHeld)
            unlink(gPaths[i]);
    }
    std::signal(signal, SIG_DFL);
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
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
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
