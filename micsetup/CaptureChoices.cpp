#include "micsetup/CaptureChoices.h"

#include "engine/AlsaHandles.h"

#include <algorithm>
#include <memory>

namespace larkspur {

namespace {

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

bool startsWith(const std::string& text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::optional<std::string> labelFor(const PcmHint& hint)
{
    const std::string first = firstLine(hint.description);
    if (hint.name == "default")
        return first.empty() ? std::string("System default") : "System default: " + first;
    if (hint.name == "pipewire" || hint.name == "pulse")
        return (first.empty() ? hint.name : first) + " (" + hint.name + ")";
    if (startsWith(hint.name, "hw:CARD="))
        return (first.empty() ? hint.name : first) + " (" + hint.name + ")";
    return std::nullopt;
}

} // namespace

std::vector<PcmHint> parseHintListing(std::string_view listing)
{
    std::vector<PcmHint> hints;
    while (!listing.empty()) {
        const size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t text = line.find_first_not_of(" \t");
        if (text == std::string_view::npos)
            continue;
        if (text == 0) {
            hints.push_back(PcmHint{std::string(line), {}, {}});
        } else if (!hints.empty()) {
            std::string& description = hints.back().description;
            if (!description.empty())
                description += '\n';
            description += line.substr(text);
        }
    }
    return hints;
}

std::vector<CaptureChoice> recognisableCaptureDevices(const std::vector<PcmHint>& hints, const std::string& inUse)
{
    std::vector<CaptureChoice> choices;
    for (const PcmHint& hint : hints) {
        if (hint.direction == "Output")
            continue;
        const auto label = labelFor(hint);
        if (!label)
            continue;
        const bool seen = std::any_of(choices.begin(), choices.end(),
                                      [&](const CaptureChoice& c) { return c.name == hint.name; });
        if (seen)
            continue;
        CaptureChoice choice{hint.name, *label, hint.name == inUse, true};
        if (hint.name == "default")
            choices.insert(choices.begin(), std::move(choice));
        else
            choices.push_back(std::move(choice));
    }
    const bool inUseListed = std::any_of(choices.begin(), choices.end(),
                                         [](const CaptureChoice& c) { return c.inUse; });
    if (!inUse.empty() && !inUseListed)
        choices.push_back(CaptureChoice{inUse, inUse + " (not connected)", true, false});
    return choices;
}

std::vector<PcmHint> readPcmHints()
{
    alsa::quietLibraryErrors();
    std::vector<PcmHint> hints;
    void** raw = nullptr;
    if (snd_device_name_hint(-1, "pcm", &raw) < 0 || !raw)
        return hints;
    const alsa::NameHints owned(raw);
    auto text = [](void* hint, const char* id) {
        const alsa::CString value(snd_device_name_get_hint(hint, id));
        return value ? std::string(value.get()) : std::string();
    };
    for (void** hint = raw; *hint; ++hint) {
        PcmHint h{text(*hint, "NAME"), text(*hint, "DESC"), text(*hint, "IOID")};
        if (!h.name.empty())
            hints.push_back(std::move(h));
    }
    return hints;
}

} // namespace larkspur
