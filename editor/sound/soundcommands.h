#pragma once

#include <QString>

class WrittenFrames;

// The string-command sound interface: one device at a time under the alias
// "sound", driven by command strings such as "open PATH alias sound",
// "play sound from 30000" or "status sound position".
class SoundCommands
{
public:
    virtual ~SoundCommands() = default;
    // Carries out one command. Status commands reply with decimal milliseconds
    // at the start of the reply; a failed command replies with nothing.
    virtual QString send(const QString &command) = 0;
    // What a decode has written so far of the file it grows (nullptr: none
    // grows). A device playing that file never reads past it and waits,
    // silent, where the writer has not been yet. It must outlive its use.
    virtual void setWrittenFrames(const WrittenFrames *written) { Q_UNUSED(written); }
};

// The leading decimal number of a reply; 0 when it has none, as callers read a
// failed status command.
inline qint64 replyNumber(const QString &reply)
{
    qint64 value = 0;
    for (QChar c : reply) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}
