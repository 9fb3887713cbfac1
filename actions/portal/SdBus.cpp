#include "actions/portal/SdBus.h"

#include <cstring>

namespace larkspur::sdbus {

std::string Error::text(int r) const
{
    if (m_error.message && *m_error.message)
        return m_error.message;
    if (m_error.name)
        return m_error.name;
    return std::strerror(r < 0 ? -r : r);
}

BusPtr connect(const std::string& address, std::string& why)
{
    sd_bus* raw = nullptr;
    int r = 0;
    if (address.empty()) {
        r = sd_bus_open_user(&raw);
    } else {
        r = sd_bus_new(&raw);
        if (r >= 0)
            r = sd_bus_set_address(raw, address.c_str());
        if (r >= 0)
            r = sd_bus_set_bus_client(raw, 1);
        if (r >= 0)
            r = sd_bus_start(raw);
    }
    BusPtr bus(raw);
    if (r < 0) {
        why = std::string("cannot connect to the session bus: ") + std::strerror(-r);
        return nullptr;
    }
    return bus;
}

int appendDictionary(sd_bus_message* m, const Dictionary& entries)
{
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    for (const auto& [key, value] : entries) {
        if (r >= 0)
            r = sd_bus_message_open_container(m, 'e', "sv");
        if (r >= 0)
            r = sd_bus_message_append_basic(m, 's', key.c_str());
        if (r < 0)
            return r;
        if (const auto* s = std::get_if<std::string>(&value))
            r = sd_bus_message_append(m, "v", "s", s->c_str());
        else if (const auto* u = std::get_if<uint32_t>(&value))
            r = sd_bus_message_append(m, "v", "u", *u);
        else
            r = sd_bus_message_append(m, "v", "b", std::get<bool>(value) ? 1 : 0);
        if (r >= 0)
            r = sd_bus_message_close_container(m);
    }
    if (r >= 0)
        r = sd_bus_message_close_container(m);
    return r;
}

namespace {

int readPair(sd_bus_message* m, int& a, int& b)
{
    return sd_bus_message_read(m, "v", "(ii)", &a, &b);
}

int readStreams(sd_bus_message* m, std::vector<Stream>& out)
{
    int r = sd_bus_message_enter_container(m, 'v', "a(ua{sv})");
    if (r >= 0)
        r = sd_bus_message_enter_container(m, 'a', "(ua{sv})");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'r', "ua{sv}")) > 0) {
        Stream stream;
        r = sd_bus_message_read_basic(m, 'u', &stream.node);
        if (r >= 0)
            r = sd_bus_message_enter_container(m, 'a', "{sv}");
        while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
            const char* key = nullptr;
            const char* contents = nullptr;
            r = sd_bus_message_read_basic(m, 's', &key);
            if (r >= 0)
                r = sd_bus_message_peek_type(m, nullptr, &contents);
            if (r < 0)
                return r;
            const bool pair = contents && std::strcmp(contents, "(ii)") == 0;
            if (pair && std::strcmp(key, "size") == 0)
                r = readPair(m, stream.width, stream.height);
            else if (pair && std::strcmp(key, "position") == 0)
                r = readPair(m, stream.x, stream.y);
            else
                r = sd_bus_message_skip(m, "v");
            if (r >= 0)
                r = sd_bus_message_exit_container(m);
        }
        if (r >= 0)
            r = sd_bus_message_exit_container(m);  // a{sv}
        if (r >= 0)
            r = sd_bus_message_exit_container(m);  // struct
        if (r >= 0)
            out.push_back(stream);
    }
    if (r >= 0)
        r = sd_bus_message_exit_container(m);  // array
    if (r >= 0)
        r = sd_bus_message_exit_container(m);  // variant
    return r;
}

} // namespace

int readResults(sd_bus_message* m, Results& out)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        const char* contents = nullptr;
        r = sd_bus_message_read_basic(m, 's', &key);
        if (r >= 0)
            r = sd_bus_message_peek_type(m, nullptr, &contents);
        if (r < 0)
            return r;
        const std::string name = key;
        const std::string type = contents ? contents : "";
        if (type == "s" || type == "o") {
            const char* text = nullptr;
            r = sd_bus_message_read(m, "v", type.c_str(), &text);
            if (r >= 0)
                out.strings[name] = text ? text : "";
        } else if (type == "u") {
            uint32_t u = 0;
            r = sd_bus_message_read(m, "v", "u", &u);
            if (r >= 0)
                out.numbers[name] = u;
        } else if (type == "b") {
            int b = 0;
            r = sd_bus_message_read(m, "v", "b", &b);
            if (r >= 0)
                out.numbers[name] = b ? 1 : 0;
        } else if (name == "streams" && type == "a(ua{sv})") {
            r = readStreams(m, out.streams);
        } else {
            r = sd_bus_message_skip(m, "v");
        }
        if (r >= 0)
            r = sd_bus_message_exit_container(m);
    }
    if (r >= 0)
        r = sd_bus_message_exit_container(m);
    return r;
}

std::string senderPathPart(const std::string& uniqueName)
{
    std::string part = uniqueName.starts_with(':') ? uniqueName.substr(1) : uniqueName;
    for (char& c : part)
        if (c == '.')
            c = '_';
    return part;
}

} // namespace larkspur::sdbus
