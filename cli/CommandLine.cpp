#include "cli/CommandLine.h"

#include <charconv>

namespace larkspur::cli {

CommandLine::CommandLine(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flags)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const std::string name = arg.substr(2);
            if (valueOptions.count(name)) {
                if (i + 1 >= args.size())
                    throw UsageError("option " + arg + " needs a value");
                m_values[name] = args[++i];
            } else if (flags.count(name)) {
                m_flags.insert(name);
            } else {
                throw UsageError("unknown option " + arg);
            }
        } else {
            m_positional.push_back(arg);
        }
    }
}

bool CommandLine::has(const std::string& name) const
{
    return m_flags.count(name) > 0 || m_values.count(name) > 0;
}

std::optional<std::string> CommandLine::value(const std::string& name) const
{
    const auto it = m_values.find(name);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

std::string CommandLine::required(const std::string& name) const
{
    auto v = value(name);
    if (!v)
        throw UsageError("missing option --" + name);
    return *v;
}

int CommandLine::integer(const std::string& name, int fallback, int min, int max) const
{
    const auto v = value(name);
    if (!v)
        return fallback;
    int result = 0;
    const char* end = v->data() + v->size();
    const auto [ptr, ec] = std::from_chars(v->data(), end, result);
    if (ec != std::errc() || ptr != end || result < min || result > max)
        throw UsageError("--" + name + " must be a whole number from " + std::to_string(min) + " to "
                         + std::to_string(max));
    return result;
}

} // namespace larkspur::cli
