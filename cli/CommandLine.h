#pragma once
// A small parser for "--name value" options and "--flag" switches.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace larkspur::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CommandLine {
public:
    // valueOptions take one argument; flags take none. Anything else is a usage
    // error, except plain words, which are collected as positional arguments.
    CommandLine(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                const std::set<std::string>& flags);

    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    std::string required(const std::string& name) const;
    // An integer option within [min, max], or fallback when absent.
    int integer(const std::string& name, int fallback, int min, int max) const;
    const std::vector<std::string>& positional() const { return m_positional; }

private:
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
    std::vector<std::string> m_positional;
};

} // namespace larkspur::cli
