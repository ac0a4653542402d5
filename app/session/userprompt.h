#pragma once

#include <QList>
#include <QString>

// The message boxes of the lower layers go through this interface, so that
// app/ can show real boxes and tests can read and answer them.
class UserPrompt
{
public:
    enum class Icon { Information, Warning, Critical, Exclamation, Question, NoIcon };
    enum class Buttons { Ok, OkCancel, YesNo };

    struct Message {
        QString text;
        QString title = QStringLiteral("Kesmarin");
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
    };

    virtual ~UserPrompt() = default;
    // Shows the message modally; true when the user chose OK or Yes.
    virtual bool show(const Message &message) = 0;
};

// Answers from a script and keeps every message shown, for tests.
class ScriptedPrompt : public UserPrompt
{
public:
    bool show(const Message &message) override
    {
        m_shown.append(message);
        return m_answers.isEmpty() ? m_defaultAnswer : m_answers.takeFirst();
    }
    void queueAnswer(bool ok) { m_answers.append(ok); }
    void setDefaultAnswer(bool ok) { m_defaultAnswer = ok; }
    const QList<Message> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    QList<Message> m_shown;
    QList<bool> m_answers;
    bool m_defaultAnswer = true;
};
