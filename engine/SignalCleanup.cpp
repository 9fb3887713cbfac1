#include "engine/SignalCleanup.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace larkspur {

namespace {

constexpr int kEntries = 64;
constexpr std::size_t kPathBytes = 1024;
enum State : int { kFree = 0, kBusy = 1, kReady = 2 };

struct Entry {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};

Entry g_entries[kEntries];

extern "C" void onFatalSignal(int signalNumber)
{
    const int savedErrno = errno;
    runSignalCleanup();
    errno = savedErrno;
    // SA_RESETHAND has put the default action back: end as the signal would.
    ::raise(signalNumber);
}

} // namespace

void addCleanupPath(const std::string& path)
{
    if (path.empty() || path.size() >= kPathBytes)
        return;
    for (Entry& entry : g_entries)
        if (entry.state.load() == kReady && path == entry.path)
            return;  // listed already (a store is made again at every table open)
    for (Entry& entry : g_entries) {
        int expected = kFree;
        if (entry.state.compare_exchange_strong(expected, kBusy)) {
            std::memcpy(entry.path, path.c_str(), path.size() + 1);
            entry.state.store(kReady);
            return;
        }
    }
}

void removeCleanupPath(const std::string& path)
{
    for (Entry& entry : g_entries) {
        int expected = kReady;
        if (entry.state.load() == kReady && path == entry.path
            && entry.state.compare_exchange_strong(expected, kBusy)) {
            entry.state.store(kFree);
            return;
        }
    }
}

void runSignalCleanup()
{
    for (Entry& entry : g_entries)
        if (entry.state.load() == kReady)
            ::unlink(entry.path);
}

void installSignalCleanup()
{
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) {
        sigaddset(&action.sa_mask, signalNumber);
    }
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGPIPE})
        ::sigaction(signalNumber, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace larkspur
