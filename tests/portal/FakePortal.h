#pragma once
// A stand-in for the desktop's remote-control portal on a private bus. It
// records every call with its options and arguments, answers requests with
// the Response signal as the real portal does, and can refuse consent, never
// answer, fail a keysym, or end the session from the desktop's side.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct sd_bus sd_bus;
typedef struct sd_bus_message sd_bus_message;

namespace larkspur::test {

struct FakePortalConfig {
    uint32_t version = 2;
    uint32_t availableDevices = 3;
    bool screenCast = true;
    uint32_t startResponse = 0;      // 1: the user refused
    bool answerStart = true;         // false: Start never gets its Response
    uint32_t grantedDevices = 3;
    std::string newRestoreToken = "token-2";  // given when persistence was asked for
    uint32_t streamNode = 44;
    int streamWidth = 1280;
    int streamHeight = 720;
    int32_t failingKeysym = -1;      // this keysym's press is answered with an error
    bool globalShortcuts = true;     // offers the global shortcuts interface
    uint32_t bindResponse = 0;       // 1: the user refused the shortcut
    bool answerBind = true;          // false: BindShortcuts never gets its Response
};

struct RecordedCall {
    std::string member;   // "CreateSession", "NotifyKeyboardKeysym", "Session.Close", ...
    std::string path;     // the object called (for Close) or the session handle given
    std::map<std::string, std::string> options;
    std::vector<double> arguments;
};

class FakePortal {
public:
    FakePortal(const std::string& busAddress, FakePortalConfig config);
    ~FakePortal();
    FakePortal(const FakePortal&) = delete;
    FakePortal& operator=(const FakePortal&) = delete;

    bool ready() const { return m_ready; }
    std::vector<RecordedCall> calls() const;
    std::vector<RecordedCall> calls(const std::string& member) const;
    // (keysym, state) of every NotifyKeyboardKeysym, in order.
    std::vector<std::pair<int, int>> keysyms() const;
    // Sends Session.Closed for the session, as when the user stops sharing.
    void closeSessionFromDesktop();
    // The global shortcuts session, once one was made.
    std::string shortcutSession() const;
    // Sends Activated (down) or Deactivated for a shortcut of `session`.
    void sendShortcut(const std::string& session, const std::string& id, bool down);
    // Sends Session.Closed for the global shortcuts session.
    void closeShortcutSessionFromDesktop();

    // Handlers called by the bus; public for the vtables only.
    int onRequestMethod(sd_bus_message* m, const char* member);
    int onNotify(sd_bus_message* m, const char* member, const char* signature);
    int onClose(sd_bus_message* m, const char* what);
    int onShortcutsMethod(sd_bus_message* m, const char* member);
    const FakePortalConfig& config() const { return m_config; }

private:
    void run(std::string address);
    void record(RecordedCall call);
    void onBus(std::function<void(sd_bus*)> task);
    void respond(const std::string& requestPath, uint32_t code, const std::function<int(sd_bus_message*)>& results);

    FakePortalConfig m_config;
    sd_bus* m_bus = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ready{false};
    mutable std::mutex m_mutex;
    std::vector<RecordedCall> m_calls;
    std::vector<std::function<void()>> m_tasks;
    std::string m_session;
    std::string m_shortcutSession;  // guarded by m_mutex
    bool m_sourcesSelected = false;
    bool m_persistAsked = false;
};

} // namespace larkspur::test
