#pragma once
// The engine's messages, shown as the shell's modal message boxes.

#include "app/MessageBoxes.h"
#include "engine/EnginePlatform.h"

namespace larkspur {

class QtMessageSink : public MessageSink {
public:
    explicit QtMessageSink(MessageBoxes& boxes)
        : m_boxes(boxes)
    {
    }
    void showMessage(const std::string& text) override;

private:
    MessageBoxes& m_boxes;
};

} // namespace larkspur
