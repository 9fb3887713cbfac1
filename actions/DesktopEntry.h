#pragma once
// Pure readers for freedesktop.org desktop entries and mimeapps.list files,
// used to find the default web browser.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur {

// The Exec= value of the [Desktop Entry] group, nullopt when there is none.
std::optional<std::string> desktopEntryExec(std::string_view fileText);

// The value of key in the [Desktop Entry] group, nullopt when it is absent.
std::optional<std::string> desktopEntryValue(std::string_view fileText, std::string_view key);

// Type= of the [Desktop Entry] group ("Application", "Link", ...), empty when absent.
std::string desktopEntryType(std::string_view fileText);

// The desktop ids that the [Default Applications] group of a mimeapps.list
// gives for mimeType, in order.
std::vector<std::string> mimeAppsDefaults(std::string_view fileText, std::string_view mimeType);

struct BrowserCommand {
    std::string program;     // the first word, without quotes
    std::string parameters;  // the rest: no quotes, no %-field codes, trimmed
};

// Splits an open command or Exec line into program and parameters: the
// program is the first word (a quoted word may hold blanks); the parameters
// lose their quotes and every "%..." run up to the next blank.
BrowserCommand parseBrowserCommand(std::string_view command);

} // namespace larkspur
