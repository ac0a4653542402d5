#pragma once

#include <QString>

// How the session asks the user a question or tells them something. The
// windows supply real message boxes; tests read and answer from a script.
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
        QString details = {}; // behind the box's details button: the coder's own words
        // Yes and No saying what they do; empty keeps the usual words.
        QString yesText = {}, noText = {};
    };
    enum class Answer { Yes, No, Cancel };

    virtual ~UserPrompt() = default;
    // Shows the message modally; true when the user chose OK or Yes.
    virtual bool show(const Message &message) = 0;
    // A Yes/No question that may also be cancelled.
    virtual Answer choose(const Message &message)
    {
        return show(message) ? Answer::Yes : Answer::No;
    }
};
