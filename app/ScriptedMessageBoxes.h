#pragma once
// Message boxes for tests: records every text shown and answers questions from
// a script. A question without a scripted answer gets defaultAnswer and is
// counted, so a test can tell an unexpected question from an expected one.

#include "app/MessageBoxes.h"

#include <QList>
#include <QString>

#include <deque>

namespace larkspur {

class ScriptedMessageBoxes : public MessageBoxes {
public:
    enum class Kind { Information, YesNo, YesNoCancel };
    struct Shown {
        Kind kind;
        QString text;
    };

    void information(const QString& text) override;
    bool askYesNo(const QString& text) override;
    MessageAnswer askYesNoCancel(const QString& text) override;

    // Queues the answer to the next question.
    void answer(MessageAnswer next) { m_answers.push_back(next); }

    QList<Shown> shown;
    MessageAnswer defaultAnswer = MessageAnswer::No;
    int unscriptedQuestions = 0;

    QStringList texts() const;

private:
    MessageAnswer nextAnswer();
    std::deque<MessageAnswer> m_answers;
};

} // namespace larkspur
