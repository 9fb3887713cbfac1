#include "tests/portal/FakePortal.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstring>
#include <future>

namespace larkspur::test {

namespace {

constexpr const char* kObject = "/org/freedesktop/portal/desktop";

FakePortal* self(void* userdata)
{
    return static_cast<FakePortal*>(userdata);
}

// Reads an a{sv} of string, unsigned and Boolean values into text, on its
// own so that it checks the client's encoding independently.
int readOptions(sd_bus_message* m, std::map<std::string, std::string>& out)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        const char* type = nullptr;
        r = sd_bus_message_read(m, "s", &key);
        if (r >= 0)
            r = sd_bus_message_peek_type(m, nullptr, &type);
        if (r < 0)
            return r;
        const std::string name = key;
        if (std::strcmp(type, "s") == 0) {
            const char* s = nullptr;
            r = sd_bus_message_read(m, "v", "s", &s);
            out[name] = s;
        } else if (std::strcmp(type, "u") == 0) {
            uint32_t u = 0;
            r = sd_bus_message_read(m, "v", "u", &u);
            out[name] = std::to_string(u);
        } else if (std::strcmp(type, "b") == 0) {
            int b = 0;
            r = sd_bus_message_read(m, "v", "b", &b);
            out[name] = b ? "true" : "false";
        } else {
            out[name] = std::string("type ") + type;
            r = sd_bus_message_skip(m, "v");
        }
        if (r >= 0)
            r = sd_bus_message_exit_container(m);
    }
    if (r >= 0)
        r = sd_bus_message_exit_container(m);
    return r;
}

std::string senderPart(sd_bus_message* m)
{
    std::string s = sd_bus_message_get_sender(m) ? sd_bus_message_get_sender(m) : "";
    if (!s.empty() && s[0] == ':')
        s.erase(0, 1);
    for (char& c : s)
        if (c == '.')
            c = '_';
    return s;
}

int createSession(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onRequestMethod(m, "CreateSession");
}
int selectDevices(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onRequestMethod(m, "SelectDevices");
}
int selectSources(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onRequestMethod(m, "SelectSources");
}
int start(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onRequestMethod(m, "Start");
}
int keysym(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onNotify(m, "NotifyKeyboardKeysym", "iu");
}
int motion(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onNotify(m, "NotifyPointerMotion", "dd");
}
int motionAbsolute(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onNotify(m, "NotifyPointerMotionAbsolute", "udd");
}
int button(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onNotify(m, "NotifyPointerButton", "iu");
}
int closeSession(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onClose(m, "Session.Close");
}
int closeRequest(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onClose(m, "Request.Close");
}
int shortcutsCreateSession(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onShortcutsMethod(m, "GlobalShortcuts.CreateSession");
}
int bindShortcuts(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    return self(userdata)->onShortcutsMethod(m, "BindShortcuts");
}
int shortcutsVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "u", 1u);
}
int remoteVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                  sd_bus_error*)
{
    return sd_bus_message_append(reply, "u", self(userdata)->config().version);
}
int deviceTypes(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                sd_bus_error*)
{
    return sd_bus_message_append(reply, "u", self(userdata)->config().availableDevices);
}
int castVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "u", 4u);
}
int sourceTypes(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
    return sd_bus_message_append(reply, "u", 7u);
}

const sd_bus_vtable kRemoteDesktop[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("CreateSession", "a{sv}", "o", createSession, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SelectDevices", "oa{sv}", "o", selectDevices, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Start", "osa{sv}", "o", start, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("NotifyKeyboardKeysym", "oa{sv}iu", "", keysym, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("NotifyPointerMotion", "oa{sv}dd", "", motion, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("NotifyPointerMotionAbsolute", "oa{sv}udd", "", motionAbsolute, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("NotifyPointerButton", "oa{sv}iu", "", button, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("version", "u", remoteVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("AvailableDeviceTypes", "u", deviceTypes, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kScreenCast[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("SelectSources", "oa{sv}", "o", selectSources, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("version", "u", castVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("AvailableSourceTypes", "u", sourceTypes, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kGlobalShortcuts[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("CreateSession", "a{sv}", "o", shortcutsCreateSession, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("BindShortcuts", "oa(sa{sv})sa{sv}", "o", bindShortcuts, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("version", "u", shortcutsVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_SIGNAL("Activated", "osta{sv}", 0),
    SD_BUS_SIGNAL("Deactivated", "osta{sv}", 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kSession[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Close", "", "", closeSession, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("Closed", "a{sv}", 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kRequest[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Close", "", "", closeRequest, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("Response", "ua{sv}", 0),
    SD_BUS_VTABLE_END,
};

} // namespace

FakePortal::FakePortal(const std::string& busAddress, FakePortalConfig config) : m_config(std::move(config))
{
    std::promise<void> started;
    auto done = started.get_future();
    m_thread = std::thread([this, busAddress, &started] {
        // Everything on the bus happens on this thread; ready() says whether
        // the name was taken.
        sd_bus* bus = nullptr;
        bool ok = sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, busAddress.c_str()) >= 0 &&
                  sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0;
        ok = ok && sd_bus_add_object_vtable(bus, nullptr, kObject, "org.freedesktop.portal.RemoteDesktop",
                                            kRemoteDesktop, this) >= 0;
        if (ok && m_config.screenCast)
            ok = sd_bus_add_object_vtable(bus, nullptr, kObject, "org.freedesktop.portal.ScreenCast", kScreenCast,
                                          this) >= 0;
        if (ok && m_config.globalShortcuts)
            ok = sd_bus_add_object_vtable(bus, nullptr, kObject, "org.freedesktop.portal.GlobalShortcuts",
                                          kGlobalShortcuts, this) >= 0;
        ok = ok && sd_bus_add_fallback_vtable(bus, nullptr, "/org/freedesktop/portal/desktop/session",
                                              "org.freedesktop.portal.Session", kSession, nullptr, this) >= 0;
        ok = ok && sd_bus_add_fallback_vtable(bus, nullptr, "/org/freedesktop/portal/desktop/request",
                                              "org.freedesktop.portal.Request", kRequest, nullptr, this) >= 0;
        ok = ok && sd_bus_request_name(bus, "org.freedesktop.portal.Desktop", 0) >= 0;
        m_bus = bus;
        m_ready = ok;
        started.set_value();
        while (!m_stop) {
            while (bus && sd_bus_process(bus, nullptr) > 0) {
            }
            std::vector<std::function<void()>> tasks;
            {
                std::lock_guard lock(m_mutex);
                tasks.swap(m_tasks);
            }
            for (auto& task : tasks)
                task();
            if (!bus)
                break;
            sd_bus_wait(bus, 10'000);
        }
        if (bus)
            sd_bus_flush_close_unref(bus);
    });
    done.wait();
}

FakePortal::~FakePortal()
{
    m_stop = true;
    m_thread.join();
}

void FakePortal::record(RecordedCall call)
{
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
}

std::vector<RecordedCall> FakePortal::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<RecordedCall> FakePortal::calls(const std::string& member) const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& call : calls())
        if (call.member == member)
            out.push_back(call);
    return out;
}

std::vector<std::pair<int, int>> FakePortal::keysyms() const
{
    std::vector<std::pair<int, int>> out;
    for (const RecordedCall& call : calls("NotifyKeyboardKeysym"))
        out.emplace_back(static_cast<int>(call.arguments[0]), static_cast<int>(call.arguments[1]));
    return out;
}

void FakePortal::respond(const std::string& requestPath, uint32_t code,
                         const std::function<int(sd_bus_message*)>& results)
{
    sd_bus_message* signal = nullptr;
    int r = sd_bus_message_new_signal(m_bus, &signal, requestPath.c_str(), "org.freedesktop.portal.Request",
                                      "Response");
    if (r >= 0)
        r = sd_bus_message_append(signal, "u", code);
    if (r >= 0)
        r = sd_bus_message_open_container(signal, 'a', "{sv}");
    if (r >= 0 && results)
        r = results(signal);
    if (r >= 0)
        r = sd_bus_message_close_container(signal);
    if (r >= 0)
        sd_bus_send(m_bus, signal, nullptr);
    sd_bus_message_unref(signal);
}

int FakePortal::onRequestMethod(sd_bus_message* m, const char* member)
{
    RecordedCall call;
    call.member = member;
    const bool onSession = std::strcmp(member, "CreateSession") != 0;
    if (onSession) {
        const char* session = nullptr;
        if (sd_bus_message_read(m, "o", &session) < 0)
            return -EINVAL;
        call.path = session;
    }
    if (std::strcmp(member, "Start") == 0) {
        const char* parent = nullptr;
        sd_bus_message_read(m, "s", &parent);
    }
    if (readOptions(m, call.options) < 0)
        return -EINVAL;
    const std::string requestPath =
        "/org/freedesktop/portal/desktop/request/" + senderPart(m) + "/" + call.options["handle_token"];
    if (onSession && call.path != m_session)
        return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.InvalidArgs", "unknown session");
    record(call);
    sd_bus_reply_method_return(m, "o", requestPath.c_str());

    if (std::strcmp(member, "CreateSession") == 0) {
        m_session = "/org/freedesktop/portal/desktop/session/" + senderPart(m) + "/" +
                    call.options["session_handle_token"];
        const std::string session = m_session;
        respond(requestPath, 0, [session](sd_bus_message* s) {
            return sd_bus_message_append(s, "{sv}", "session_handle", "s", session.c_str());
        });
    } else if (std::strcmp(member, "SelectDevices") == 0) {
        m_persistAsked = call.options.contains("persist_mode");
        respond(requestPath, 0, {});
    } else if (std::strcmp(member, "SelectSources") == 0) {
        m_sourcesSelected = true;
        respond(requestPath, 0, {});
    } else if (m_config.answerStart) {
        const FakePortalConfig c = m_config;
        const bool streams = m_sourcesSelected;
        const bool token = m_persistAsked && !c.newRestoreToken.empty();
        respond(requestPath, c.startResponse, [c, streams, token](sd_bus_message* s) {
            if (c.startResponse != 0)
                return 0;
            int r = sd_bus_message_append(s, "{sv}", "devices", "u", c.grantedDevices);
            if (r >= 0 && token)
                r = sd_bus_message_append(s, "{sv}", "restore_token", "s", c.newRestoreToken.c_str());
            if (r >= 0 && streams) {
                r = sd_bus_message_open_container(s, 'e', "sv");
                if (r >= 0)
                    r = sd_bus_message_append(s, "s", "streams");
                if (r >= 0)
                    r = sd_bus_message_open_container(s, 'v', "a(ua{sv})");
                if (r >= 0)
                    r = sd_bus_message_append(s, "a(ua{sv})", 1, c.streamNode, 3, "position", "(ii)", 0, 0,
                                              "size", "(ii)", c.streamWidth, c.streamHeight, "source_type",
                                              "u", 1u);
                if (r >= 0)
                    r = sd_bus_message_close_container(s);
                if (r >= 0)
                    r = sd_bus_message_close_container(s);
            }
            return r;
        });
    }
    return 1;
}

int FakePortal::onNotify(sd_bus_message* m, const char* member, const char* signature)
{
    RecordedCall call;
    call.member = member;
    const char* session = nullptr;
    if (sd_bus_message_read(m, "o", &session) < 0 || readOptions(m, call.options) < 0)
        return -EINVAL;
    call.path = session;
    for (const char* t = signature; *t; ++t) {
        if (*t == 'd') {
            double d = 0;
            sd_bus_message_read_basic(m, 'd', &d);
            call.arguments.push_back(d);
        } else if (*t == 'i') {
            int32_t i = 0;
            sd_bus_message_read_basic(m, 'i', &i);
            call.arguments.push_back(i);
        } else {
            uint32_t u = 0;
            sd_bus_message_read_basic(m, 'u', &u);
            call.arguments.push_back(u);
        }
    }
    if (call.path != m_session)
        return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.InvalidArgs", "unknown session");
    const bool failing = std::strcmp(member, "NotifyKeyboardKeysym") == 0 && call.arguments[1] == 1 &&
                         static_cast<int32_t>(call.arguments[0]) == m_config.failingKeysym;
    if (failing)
        return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.Failed", "keysym refused");
    record(std::move(call));
    return sd_bus_reply_method_return(m, "");
}

int FakePortal::onClose(sd_bus_message* m, const char* what)
{
    RecordedCall call;
    call.member = what;
    call.path = sd_bus_message_get_path(m);
    record(std::move(call));
    return sd_bus_reply_method_return(m, "");
}

int FakePortal::onShortcutsMethod(sd_bus_message* m, const char* member)
{
    RecordedCall call;
    call.member = member;
    const bool binding = std::strcmp(member, "BindShortcuts") == 0;
    if (binding) {
        // The session, then each shortcut's id and options flattened into
        // "<id>.<option>" entries, then the parent window.
        const char* session = nullptr;
        if (sd_bus_message_read(m, "o", &session) < 0 || sd_bus_message_enter_container(m, 'a', "(sa{sv})") < 0)
            return -EINVAL;
        call.path = session;
        while (sd_bus_message_enter_container(m, 'r', "sa{sv}") > 0) {
            const char* id = nullptr;
            std::map<std::string, std::string> shortcut;
            if (sd_bus_message_read(m, "s", &id) < 0 || readOptions(m, shortcut) < 0 ||
                sd_bus_message_exit_container(m) < 0)
                return -EINVAL;
            call.options[std::string(id) + ".id"] = id;
            for (const auto& [key, value] : shortcut)
                call.options[std::string(id) + "." + key] = value;
        }
        const char* parent = nullptr;
        if (sd_bus_message_exit_container(m) < 0 || sd_bus_message_read(m, "s", &parent) < 0)
            return -EINVAL;
    }
    std::map<std::string, std::string> options;
    if (readOptions(m, options) < 0)
        return -EINVAL;
    call.options.insert(options.begin(), options.end());
    const std::string requestPath =
        "/org/freedesktop/portal/desktop/request/" + senderPart(m) + "/" + options["handle_token"];
    {
        std::lock_guard lock(m_mutex);
        if (binding && call.path != m_shortcutSession)
            return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.InvalidArgs", "unknown session");
    }
    record(call);
    sd_bus_reply_method_return(m, "o", requestPath.c_str());
    if (!binding) {
        const std::string session = "/org/freedesktop/portal/desktop/session/" + senderPart(m) + "/" +
                                    options["session_handle_token"];
        {
            std::lock_guard lock(m_mutex);
            m_shortcutSession = session;
        }
        respond(requestPath, 0, [session](sd_bus_message* s) {
            return sd_bus_message_append(s, "{sv}", "session_handle", "s", session.c_str());
        });
    } else if (m_config.answerBind) {
        respond(requestPath, m_config.bindResponse, {});
    }
    return 1;
}

std::string FakePortal::shortcutSession() const
{
    std::lock_guard lock(m_mutex);
    return m_shortcutSession;
}

void FakePortal::onBus(std::function<void(sd_bus*)> task)
{
    std::promise<void> done;
    auto finished = done.get_future();
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back([this, &task, &done] {
            task(m_bus);
            sd_bus_flush(m_bus);
            done.set_value();
        });
    }
    finished.wait();
}

void FakePortal::sendShortcut(const std::string& session, const std::string& id, bool down)
{
    onBus([&](sd_bus* bus) {
        sd_bus_emit_signal(bus, kObject, "org.freedesktop.portal.GlobalShortcuts", down ? "Activated" : "Deactivated",
                           "osta{sv}", session.c_str(), id.c_str(), uint64_t{1234}, 0);
    });
}

void FakePortal::closeShortcutSessionFromDesktop()
{
    const std::string session = shortcutSession();
    onBus([&](sd_bus* bus) {
        sd_bus_emit_signal(bus, session.c_str(), "org.freedesktop.portal.Session", "Closed", "a{sv}", 0);
    });
}

void FakePortal::closeSessionFromDesktop()
{
    std::promise<void> sent;
    auto done = sent.get_future();
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back([this, &sent] {
            sd_bus_emit_signal(m_bus, m_session.c_str(), "org.freedesktop.portal.Session", "Closed", "a{sv}", 0);
            sd_bus_flush(m_bus);
            sent.set_value();
        });
    }
    done.wait();
}

} // namespace larkspur::test
