#include "app/HelpTopics.h"

#include "app/ResourcePaths.h"

#include <iterator>

namespace larkspur {

namespace {

struct Topic {
    int context;
    const char* page;
};

// 4 is "Contact Information"; the 500s are the controls of the work panels.
constexpr Topic kTopics[] = {
    {kContactInformationTopic, "contact.html"},
    {510, "creating.html"},
    {511, "training.html"},
    {512, "editing.html"},
    {514, "microphone.html"},
    {515, "automouse.html"},
    {517, "playback.html"},
    {518, "finetune.html"},
    {520, "microphone.html#autogain"},
    {521, "enhanced-matching.html"},
};

constexpr int kContexts[] = {4, 510, 511, 512, 514, 515, 517, 518, 520, 521};

} // namespace

QString helpPageForContext(int context)
{
    for (const Topic& topic : kTopics)
        if (topic.context == context)
            return QString::fromLatin1(topic.page);
    return {};
}

const int* helpContexts(int& count)
{
    count = static_cast<int>(std::size(kContexts));
    return kContexts;
}

QString helpDirectory()
{
    return QString::fromStdString(resourceDirectory()) + QStringLiteral("/help");
}

} // namespace larkspur
