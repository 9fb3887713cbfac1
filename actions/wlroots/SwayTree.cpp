#include "actions/wlroots/SwayTree.h"

#include "actions/UniqueFd.h"

#include <cstring>
#include <map>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <variant>

namespace larkspur {

namespace {

// Just enough JSON for a get_tree reply: values are kept as a tree.
struct Json;
using JsonObject = std::map<std::string, Json>;
using JsonArray = std::vector<Json>;
struct Json {
    std::variant<std::nullptr_t, bool, double, std::string, JsonArray, JsonObject> value;
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    std::optional<Json> document()
    {
        std::optional<Json> v = value(0);
        skipSpace();
        if (!v || m_pos != m_text.size())
            return std::nullopt;
        return v;
    }

private:
    static constexpr int kMaxDepth = 200;

    void skipSpace()
    {
        while (m_pos < m_text.size() && std::strchr(" \t\r\n", m_text[m_pos]) && m_text[m_pos] != '\0')
            ++m_pos;
    }
    bool take(char c)
    {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool word(std::string_view w)
    {
        if (m_text.substr(m_pos, w.size()) != w)
            return false;
        m_pos += w.size();
        return true;
    }
    static void appendUtf8(std::string& out, uint32_t cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::optional<uint32_t> hex4()
    {
        if (m_pos + 4 > m_text.size())
            return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<uint32_t>(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return v;
    }
    std::optional<std::string> string()
    {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size())
                return std::nullopt;
            const char e = m_text[m_pos++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::optional<uint32_t> cp = hex4();
                if (!cp)
                    return std::nullopt;
                if (*cp >= 0xD800 && *cp < 0xDC00 && word("\\u")) {
                    const std::optional<uint32_t> low = hex4();
                    if (!low || *low < 0xDC00 || *low > 0xDFFF)
                        return std::nullopt;
                    *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
                }
                appendUtf8(out, *cp);
                break;
            }
            default: return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<Json> value(int depth)
    {
        if (depth > kMaxDepth)
            return std::nullopt;
        skipSpace();
        if (m_pos >= m_text.size())
            return std::nullopt;
        const char c = m_text[m_pos];
        if (c == '"') {
            std::optional<std::string> s = string();
            return s ? std::optional<Json>(Json{std::move(*s)}) : std::nullopt;
        }
        if (c == '{') {
            ++m_pos;
            JsonObject object;
            if (take('}'))
                return Json{std::move(object)};
            do {
                std::optional<std::string> key = string();
                if (!key || !take(':'))
                    return std::nullopt;
                std::optional<Json> v = value(depth + 1);
                if (!v)
                    return std::nullopt;
                object[*key] = std::move(*v);
            } while (take(','));
            return take('}') ? std::optional<Json>(Json{std::move(object)}) : std::nullopt;
        }
        if (c == '[') {
            ++m_pos;
            JsonArray array;
            if (take(']'))
                return Json{std::move(array)};
            do {
                std::optional<Json> v = value(depth + 1);
                if (!v)
                    return std::nullopt;
                array.push_back(std::move(*v));
            } while (take(','));
            return take(']') ? std::optional<Json>(Json{std::move(array)}) : std::nullopt;
        }
        if (word("true"))
            return Json{true};
        if (word("false"))
            return Json{false};
        if (word("null"))
            return Json{nullptr};
        const size_t start = m_pos;
        while (m_pos < m_text.size() && std::strchr("+-0123456789.eE", m_text[m_pos]) && m_text[m_pos] != '\0')
            ++m_pos;
        if (m_pos == start)
            return std::nullopt;
        try {
            return Json{std::stod(std::string(m_text.substr(start, m_pos - start)))};
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

const Json* member(const JsonObject& object, const char* key)
{
    auto it = object.find(key);
    return it == object.end() ? nullptr : &it->second;
}

std::string textOf(const Json* v)
{
    const std::string* s = v ? std::get_if<std::string>(&v->value) : nullptr;
    return s ? *s : std::string();
}

void collect(const Json& node, std::vector<SwayView>& views)
{
    const JsonObject* object = std::get_if<JsonObject>(&node.value);
    if (!object)
        return;
    const Json* pid = member(*object, "pid");
    const double* pidValue = pid ? std::get_if<double>(&pid->value) : nullptr;
    if (pidValue && *pidValue > 0) {
        SwayView view;
        view.pid = static_cast<int64_t>(*pidValue);
        view.title = textOf(member(*object, "name"));
        view.appId = textOf(member(*object, "app_id"));
        if (view.appId.empty())
            if (const Json* props = member(*object, "window_properties"))
                if (const JsonObject* p = std::get_if<JsonObject>(&props->value))
                    view.appId = textOf(member(*p, "class"));
        views.push_back(std::move(view));
    }
    for (const char* children : {"nodes", "floating_nodes"})
        if (const Json* list = member(*object, children))
            if (const JsonArray* array = std::get_if<JsonArray>(&list->value))
                for (const Json& child : *array)
                    collect(child, views);
}

constexpr char kMagic[] = "i3-ipc";
constexpr size_t kMagicSize = 6;
constexpr uint32_t kGetTree = 4;
constexpr uint32_t kMaxReply = 64u << 20;

bool writeAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, void* data, size_t size)
{
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::vector<SwayView>> parseSwayTree(std::string_view json)
{
    std::optional<Json> root = JsonReader(json).document();
    if (!root)
        return std::nullopt;
    std::vector<SwayView> views;
    collect(*root, views);
    return views;
}

std::optional<std::vector<SwayView>> querySwayTree(const std::string& socketPath)
{
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0 || ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return std::nullopt;
    timeval timeout{2, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    char header[kMagicSize + 8];
    std::memcpy(header, kMagic, kMagicSize);
    const uint32_t request[2] = {0, kGetTree};
    std::memcpy(header + kMagicSize, request, sizeof request);
    if (!writeAll(fd.get(), header, sizeof header) || !readAll(fd.get(), header, sizeof header) ||
        std::memcmp(header, kMagic, kMagicSize) != 0)
        return std::nullopt;
    uint32_t reply[2];
    std::memcpy(reply, header + kMagicSize, sizeof reply);
    if (reply[1] != kGetTree || reply[0] > kMaxReply)
        return std::nullopt;
    std::string body(reply[0], '\0');
    if (!readAll(fd.get(), body.data(), body.size()))
        return std::nullopt;
    return parseSwayTree(body);
}

} // namespace larkspur
