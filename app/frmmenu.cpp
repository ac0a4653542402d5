#include "frmmenu.h"

#include <QAction>
#include <QMenu>

frmMenu::frmMenu(WordWriter writeWord, QObject *parent)
    : QObject(parent), m_writeWord(std::move(writeWord))
{
    setObjectName(QStringLiteral("frmMenu"));

    menuFile = addMenu("menuFile", tr("File"));
    menuOpen = addEntry(menuFile, "menuOpen", tr("打开音频文件(&O)"),
                        QStringLiteral("OpenFile"));
    menuSave = addEntry(menuFile, "menuSave", tr("保存铃声(&S)"),
                        QStringLiteral("SaveRingTone"));
    menuS = menuFile->addSeparator();
    menuS->setObjectName(QStringLiteral("menuS"));
    menuExit = addEntry(menuFile, "menuExit", tr("退出(&E)"), QStringLiteral("退出"));

    menuTools = addMenu("menuTools", tr("Tools"));
    menuRRC = addEntry(menuTools, "menuRRC", tr("随机剪切铃声(&R)"),
                       QStringLiteral("RRC"));
    menuSR = addEntry(menuTools, "menuSR", tr("发送铃声给朋友(&S)"),
                      QStringLiteral("SR"));
    menuBestPart = addEntry(menuTools, "menuBestPart", tr("推荐片段(&B)"),
                            QStringLiteral("BestPart"));

    menuSetting = addMenu("menuSetting", tr("设置"));
    menuSettings = addEntry(menuSetting, "menuSettings", tr("设置(&S)"),
                            QStringLiteral("设置"));

    menuAbout = addMenu("menuAbout", tr("关于"));
    menuA = addEntry(menuAbout, "menuA", tr("关于(&A)"), QStringLiteral("关于"));
    menuHelp = addEntry(menuAbout, "menuHelp", tr("帮助(&H)"), QStringLiteral("Help"));

    m_menus = {menuFile, menuTools, menuSetting, menuAbout};
}

frmMenu::~frmMenu()
{
    // The menus are top-level widgets, not children of this holder.
    for (QMenu *m : m_menus)
        delete m;
}

QMenu *frmMenu::menu(int index) const
{
    if (index < 0 || index >= int(m_menus.size()))
        return nullptr;
    return m_menus[size_t(index)];
}

void frmMenu::popup(int index, const QPoint &globalPos)
{
    if (QMenu *m = menu(index))
        m->popup(globalPos);
}

QMenu *frmMenu::addMenu(const char *name, const QString &title)
{
    auto *m = new QMenu(title);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction *frmMenu::addEntry(QMenu *menu, const char *name, const QString &caption,
                           const QString &word)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, word] {
        if (m_writeWord)
            m_writeWord(word);
    });
    return action;
}
