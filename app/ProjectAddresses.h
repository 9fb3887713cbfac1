#pragma once
// The project's addresses on the web, in one place: the Help and Updates
// menus open them, the package's metainfo and control fields are made from
// them (packaging/CMakeLists.txt reads this file), and the help pages' contact
// topic names the same ones (checked by the settings and help tests).

namespace larkspur {

// Without a scheme: TURL puts the prefix of its URL type in front.
inline constexpr const char* kWebSiteAddress = "larkspur-qtx.example.org/";
inline constexpr const char* kUpdatesAddress = "larkspur-qtx.example.org/updates.html";
inline constexpr const char* kIssuesAddress = "larkspur-qtx.example.org/issues/";
inline constexpr const char* kSupportMailAddress = "support@larkspur-qtx.example.org";
inline constexpr const char* kBugReportMailAddress = "bugs@larkspur-qtx.example.org";

} // namespace larkspur
