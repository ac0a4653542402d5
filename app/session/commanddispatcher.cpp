#include "commanddispatcher.h"

void CommandDispatcher::dispatch(const QString &word)
{
    // Not an else-chain: a handler may change the window, and the word is
    // still compared against every entry, as the menus expect.
    if (word == QStringLiteral("关于"))
        m_target.showAbout();
    if (word == QStringLiteral("退出"))
        m_target.exitProgram();
    if (word == QStringLiteral("RRC"))
        m_target.runToolbarCommand(ToolbarCommand::RandomCut);
    if (word == QStringLiteral("BestPart"))
        m_target.suggestBestPart();
    if (word == QStringLiteral("SR"))
        m_target.runToolbarCommand(ToolbarCommand::TellAFriend);
    if (word == QStringLiteral("Help"))
        m_target.runToolbarCommand(ToolbarCommand::Help);
    if (word == QStringLiteral("OpenFile"))
        m_target.runToolbarCommand(ToolbarCommand::Open);
    if (word == QStringLiteral("SaveRingTone"))
        m_target.runToolbarCommand(ToolbarCommand::Save);
    if (word == QStringLiteral("设置"))
        m_target.runToolbarCommand(ToolbarCommand::Settings);
}
