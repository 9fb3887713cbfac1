#pragma once
// The project's addresses on the web, in one place: the Help and Updates
// menus open them, and the help pages name the same ones.

namespace larkspur {

// Without a scheme: TURL puts the prefix of its URL type in front.
inline constexpr const char* kWebSiteAddress = "larkspur-qtx.example.org/";
inline constexpr const char* kUpdatesAddress = "larkspur-qtx.example.org/updates.html";
inline constexpr const char* kSupportMailAddress = "support@larkspur-qtx.example.org";
inline constexpr const char* kBugReportMailAddress = "bugs@larkspur-qtx.example.org";

} // namespace larkspur
