#pragma once
// Small RAII pieces over sd-bus and the portal's a{sv} dictionaries.
// Internal to the portal back end and its tests.

#include <systemd/sd-bus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace larkspur::sdbus {

struct BusClose {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusClose>;

struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

struct SlotUnref {
    void operator()(sd_bus_slot* s) const { sd_bus_slot_unref(s); }
};
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;

class Error {
public:
    Error() = default;
    ~Error() { sd_bus_error_free(&m_error); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    sd_bus_error* get() { return &m_error; }
    // The D-Bus error's message, or the errno text of r when it has none.
    std::string text(int r) const;

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

// Connects to the bus at address, or to the user's session bus when it is
// empty. Null with why set when that fails.
BusPtr connect(const std::string& address, std::string& why);

// One a{sv} dictionary of the values the portal calls take.
using Value = std::variant<std::string, uint32_t, bool>;
using Dictionary = std::vector<std::pair<std::string, Value>>;
int appendDictionary(sd_bus_message* m, const Dictionary& entries);

// A screen-cast stream of a started session.
struct Stream {
    uint32_t node = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// What a portal response carries, as far as this program reads it: string
// and object path values, unsigned and Boolean values, and the streams.
struct Results {
    std::map<std::string, std::string> strings;
    std::map<std::string, uint32_t> numbers;
    std::vector<Stream> streams;
};
// Reads an a{sv} dictionary; unknown value types are skipped.
int readResults(sd_bus_message* m, Results& out);

// The part of a request or session path made from a unique bus name:
// ":1.42" becomes "1_42".
std::string senderPathPart(const std::string& uniqueName);

} // namespace larkspur::sdbus
