#pragma once

#include "toolbarcommand.h"

#include <QString>

// What the command words of the popup menus reach on the main window.
class CommandTarget
{
public:
    virtual ~CommandTarget() = default;
    virtual void runToolbarCommand(ToolbarCommand command) = 0;
    virtual void showAbout() = 0;
    // The exit through the menu: the window closes (and asks first).
    virtual void exitProgram() = 0;
    virtual void suggestBestPart() = 0;
};

// Maps a command word written into txtAction onto a command. Each word is
// tested on its own, whole and case-sensitive, in a fixed order; any other
// text does nothing.
class CommandDispatcher
{
public:
    explicit CommandDispatcher(CommandTarget &target) : m_target(target) {}

    void dispatch(const QString &word);

private:
    CommandTarget &m_target;
};
