#include "commandtable.h"

CommandTable::CommandTable(QObject *parent) : QObject(parent)
{
    for (int i = 0; i < CommandCount; ++i)
        m_enabled[size_t(i)] = allowed(Command(i), m_conditions);
}

bool CommandTable::allowed(Command command, const CommandConditions &c)
{
    // A decode whose file is shown lets the user play and select in it, and
    // use what of it is decoded.
    if (c.job == CommandConditions::Job::Decoding && c.fileOpen) {
        switch (command) {
        case Command::Open: // closes the song, and the decode with it
            return true;
        case Command::Save:
        case Command::PlaySelection:
            return c.selectionValid && c.selectionDecoded;
        case Command::RandomCut:
            return c.cutRoomDecoded;
        case Command::BestPart: // reads the whole song
            return false;
        default:
            break;
        }
        // What needs no song (the settings, help, the links, exit) waits
        // for the decode's end as during any job.
        if (allowed(command, CommandConditions{}))
            return false;
        CommandConditions idle = c;
        idle.job = CommandConditions::Job::None;
        return allowed(command, idle);
    }
    // Otherwise a decode or an export keeps the user from starting anything
    // else; the job's own Cancel and the window's close and minimise are no
    // commands.
    if (c.job != CommandConditions::Job::None)
        return false;
    switch (command) {
    case Command::Open:
    case Command::RandomCut: // with no song it says to play one first
    case Command::TellAFriend:
    case Command::Settings:
    case Command::Help:
    case Command::About:
    case Command::Feedback:
    case Command::Exit:
    case Command::Fades:
        return true;
    case Command::Save:
    case Command::PlaySelection:
        return c.fileOpen && c.selectionValid;
    case Command::Play:
    case Command::Stop:
    case Command::Pause:
    case Command::SetBegin:
    case Command::SetEnd:
    case Command::Loop:
    case Command::Undo:
    case Command::Redo:
    case Command::ZoomIn:
    case Command::ZoomOut:
    case Command::ZoomWhole:
    case Command::Seek:
    case Command::EditSelection:
    case Command::NudgeBack:
    case Command::NudgeForward:
    case Command::NudgeBackSecond:
    case Command::NudgeForwardSecond:
    case Command::BestPart:
        return c.fileOpen;
    }
    return false;
}

QString CommandTable::name(Command command)
{
    static const char *const names[CommandCount] = {
        "Open", "Save", "RandomCut", "TellAFriend", "Settings", "Help", "About", "Feedback",
        "Exit", "Fades", "Play", "Stop", "Pause", "SetBegin", "SetEnd", "PlaySelection", "Loop",
        "Undo", "Redo", "ZoomIn", "ZoomOut", "ZoomWhole", "Seek", "EditSelection", "NudgeBack",
        "NudgeForward", "NudgeBackSecond", "NudgeForwardSecond", "BestPart",
    };
    return QString::fromLatin1(names[int(command)]);
}

void CommandTable::setConditions(const CommandConditions &conditions)
{
    m_conditions = conditions;
    for (int i = 0; i < CommandCount; ++i) {
        const bool on = allowed(Command(i), conditions);
        if (m_enabled[size_t(i)] == on)
            continue;
        m_enabled[size_t(i)] = on;
        emit enabledChanged(Command(i), on);
    }
}

void CommandTable::setHandler(Command command, std::function<void()> handler)
{
    m_handlers[size_t(command)] = std::move(handler);
}

bool CommandTable::trigger(Command command)
{
    const auto &handler = m_handlers[size_t(command)];
    if (!isEnabled(command) || !handler)
        return false;
    handler();
    return true;
}

CommandTable::Refusal CommandTable::refusal(Command command, const CommandConditions &conditions)
{
    if (allowed(command, conditions))
        return Refusal::None;
    if (conditions.job == CommandConditions::Job::Decoding && conditions.fileOpen) {
        if ((command == Command::Save || command == Command::PlaySelection) &&
            !conditions.selectionValid)
            return Refusal::NoSelection;
        if (command == Command::Save || command == Command::PlaySelection ||
            command == Command::RandomCut)
            return Refusal::Undecoded;
    }
    if (conditions.job != CommandConditions::Job::None)
        return Refusal::Busy;
    const CommandConditions withFile{CommandConditions::Job::None, true, conditions.selectionValid};
    if (!conditions.fileOpen && allowed(command, withFile))
        return Refusal::NoFile;
    return conditions.fileOpen ? Refusal::NoSelection : Refusal::NoFile;
}
