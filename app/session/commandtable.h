#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

// Every user command, whatever reaches it: an image button, a menu word, a
// key, the strip or a typed time.
enum class Command : int {
    Open,
    Save,
    RandomCut,
    TellAFriend,
    Settings,
    Help,
    About,
    Feedback,
    Exit,
    Fades,          // the export's fades and level on the toolbar band
    Play,
    Stop,
    Pause,
    SetBegin,
    SetEnd,
    PlaySelection,
    Loop,
    Undo,
    Redo,
    ZoomIn,
    ZoomOut,
    ZoomWhole,
    Seek,           // a press on the strip or a drag of the play pointer
    EditSelection,  // a handle drag, a nudge or a typed time
    NudgeBack,
    NudgeForward,
    NudgeBackSecond,
    NudgeForwardSecond,
    BestPart,       // the stretch worth a ringtone, found in the song itself
};
inline constexpr int CommandCount = int(Command::BestPart) + 1;

// What the commands depend on, and nothing else.
struct CommandConditions {
    enum class Job { None, Decoding, Measuring, Exporting };
    Job job = Job::None;
    bool fileOpen = false;
    bool selectionValid = false; // an end after the begin
    // While a decode writes the file that is shown: the selection lies in
    // what is decoded, and a stretch of more than 5 s is decoded somewhere.
    bool selectionDecoded = true;
    bool cutRoomDecoded = true;

    friend bool operator==(const CommandConditions &, const CommandConditions &) = default;
};

// The session's commands: one handler and one enabled state each, the state
// from one rule over the conditions. The window binds each to an action and
// follows enabledChanged; trigger() runs a command only while it is enabled,
// so a click, a key or a word that arrives at the wrong moment does nothing.
class CommandTable : public QObject
{
    Q_OBJECT
public:
    explicit CommandTable(QObject *parent = nullptr);

    // The rule.
    static bool allowed(Command command, const CommandConditions &conditions);
    // Why `command` may not run now, read from the same rule.
    enum class Refusal { None, Busy, NoFile, NoSelection, Undecoded };
    static Refusal refusal(Command command, const CommandConditions &conditions);
    Refusal refusal(Command command) const { return refusal(command, m_conditions); }
    static QString name(Command command);

    bool isEnabled(Command command) const { return m_enabled[size_t(command)]; }
    const CommandConditions &conditions() const { return m_conditions; }
    // The owner's conditions changed: every command whose state changes says so.
    void setConditions(const CommandConditions &conditions);

    void setHandler(Command command, std::function<void()> handler);
    // Runs the command's handler if the command is enabled; false if it was not run.
    bool trigger(Command command);

signals:
    void enabledChanged(Command command, bool enabled);

private:
    CommandConditions m_conditions;
    std::array<bool, CommandCount> m_enabled{};
    std::array<std::function<void()>, CommandCount> m_handlers;
};
