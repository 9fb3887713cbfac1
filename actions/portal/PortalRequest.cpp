#include "actions/portal/PortalRequest.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace larkspur::sdbus {

namespace {

constexpr const char* kRequest = "org.freedesktop.portal.Request";
constexpr const char* kRequestPrefix = "/org/freedesktop/portal/desktop/request/";

struct Pending {
    bool received = false;
    uint32_t code = 2;
    Results results;
};

int onResponse(sd_bus_message* m, void* userdata, sd_bus_error*)
{
    auto* pending = static_cast<Pending*>(userdata);
    uint32_t code = 2;
    if (sd_bus_message_read_basic(m, 'u', &code) >= 0 && readResults(m, pending->results) >= 0)
        pending->code = code;
    else
        pending->code = 2;  // a response we cannot read counts as a failure
    pending->received = true;
    return 0;
}

} // namespace

uint64_t microseconds(std::chrono::milliseconds ms)
{
    return ms.count() <= 0 ? 1 : static_cast<uint64_t>(ms.count()) * 1000;
}

PortalRequester::PortalRequester(sd_bus* bus, std::chrono::milliseconds callTimeout)
    : m_bus(bus), m_callTimeout(callTimeout)
{
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(m_bus, &unique) >= 0 && unique)
        m_senderPart = senderPathPart(unique);
}

std::string PortalRequester::nextToken(const char* kind)
{
    return "larkspur" + std::to_string(getpid()) + "_" + kind + std::to_string(++m_tokens);
}

std::optional<Results> PortalRequester::request(const char* interface, const char* method, const Leading& leading,
                                                Dictionary options, std::chrono::milliseconds wait,
                                                const RequestTexts& texts, std::string& whyNot,
                                                const bool* sessionClosed, const std::function<bool()>& cancelled)
{
    const std::string failed = texts.failedAt + " " + method;
    if (!usable()) {
        whyNot = failed + " (the session bus gave this program no name).";
        return std::nullopt;
    }
    const std::string token = nextToken("");
    const std::string expected = kRequestPrefix + m_senderPart + "/" + token;

    // Listen before asking, so an answer that comes at once is not missed.
    Pending pending;
    sd_bus_slot* rawSlot = nullptr;
    int r = sd_bus_match_signal(m_bus, &rawSlot, nullptr, expected.c_str(), kRequest, "Response", onResponse,
                                &pending);
    SlotPtr slot(rawSlot);
    SlotPtr otherSlot;

    options.insert(options.begin(), {"handle_token", token});
    sd_bus_message* rawCall = nullptr;
    if (r >= 0)
        r = sd_bus_message_new_method_call(m_bus, &rawCall, kPortalService, kPortalObject, interface, method);
    MessagePtr call(rawCall);
    if (r >= 0 && leading)
        r = leading(call.get());
    if (r >= 0)
        r = appendDictionary(call.get(), options);
    Error error;
    sd_bus_message* rawReply = nullptr;
    if (r >= 0)
        r = sd_bus_call(m_bus, call.get(), microseconds(m_callTimeout), error.get(), &rawReply);
    MessagePtr reply(rawReply);
    const char* path = nullptr;
    if (r >= 0)
        r = sd_bus_message_read_basic(reply.get(), 'o', &path);
    if (r < 0) {
        whyNot = failed + " (" + error.text(r) + ").";
        return std::nullopt;
    }
    const std::string requestPath = path ? path : expected;
    if (requestPath != expected) {
        // An older portal chose its own path: listen there as well.
        rawSlot = nullptr;
        if (sd_bus_match_signal(m_bus, &rawSlot, nullptr, requestPath.c_str(), kRequest, "Response", onResponse,
                                &pending) >= 0)
            otherSlot.reset(rawSlot);
    }

    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!pending.received) {
        r = sd_bus_process(m_bus, nullptr);
        if (r > 0)
            continue;
        if (r < 0) {
            whyNot = failed + " (" + std::strerror(-r) + ").";
            return std::nullopt;
        }
        if (sessionClosed && *sessionClosed) {
            whyNot = texts.refused;
            return std::nullopt;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline || (cancelled && cancelled())) {
            Error closeError;
            sd_bus_call_method(m_bus, kPortalService, requestPath.c_str(), kRequest, "Close", closeError.get(),
                               nullptr, "");
            whyNot = texts.noAnswer;
            return std::nullopt;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (cancelled)
            left = std::min(left, std::chrono::milliseconds(100));
        r = sd_bus_wait(m_bus, microseconds(left + std::chrono::milliseconds(1)));
        if (r < 0) {
            whyNot = failed + " (" + std::strerror(-r) + ").";
            return std::nullopt;
        }
    }
    if (pending.code == 1) {
        whyNot = texts.refused;
        return std::nullopt;
    }
    if (pending.code != 0) {
        whyNot = failed + ": it ended the request.";
        return std::nullopt;
    }
    return std::move(pending.results);
}

} // namespace larkspur::sdbus
