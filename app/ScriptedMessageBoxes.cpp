#include "app/ScriptedMessageBoxes.h"

namespace larkspur {

void ScriptedMessageBoxes::information(const QString& text)
{
    shown.append({Kind::Information, text});
}

bool ScriptedMessageBoxes::askYesNo(const QString& text)
{
    shown.append({Kind::YesNo, text});
    return nextAnswer() == MessageAnswer::Yes;
}

MessageAnswer ScriptedMessageBoxes::askYesNoCancel(const QString& text)
{
    shown.append({Kind::YesNoCancel, text});
    return nextAnswer();
}

QStringList ScriptedMessageBoxes::texts() const
{
    QStringList result;
    for (const Shown& s : shown)
        result.append(s.text);
    return result;
}

MessageAnswer ScriptedMessageBoxes::nextAnswer()
{
    if (m_answers.empty()) {
        ++unscriptedQuestions;
        return defaultAnswer;
    }
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace larkspur
