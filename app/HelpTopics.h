#pragma once
// The help pages: which page answers which help context number, and where the
// pages live.

#include <QString>

namespace larkspur {

inline constexpr const char* kHelpContentsPage = "index.html";
inline constexpr const char* kHelpKeywordsPage = "keywords.html";
inline constexpr int kContactInformationTopic = 4;

// The page (with an anchor where the topic is a part of a page) for a help
// context number; empty for numbers no topic has.
QString helpPageForContext(int context);

// Every help context number a topic answers.
const int* helpContexts(int& count);

// The folder of the help pages: resources/help of the program's resources.
QString helpDirectory();

} // namespace larkspur
