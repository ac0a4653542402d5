#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QPoint;

// Holds the main window's four popup menus; never shown itself. An entry does
// not run a command: it writes its command word, and the main window's
// dispatcher takes it from there.
class frmMenu : public QObject
{
    Q_OBJECT
public:
    using WordWriter = std::function<void(const QString &word)>;

    explicit frmMenu(WordWriter writeWord, QObject *parent = nullptr);
    ~frmMenu() override;

    // 0 menuFile, 1 menuTools, 2 menuSetting, 3 menuAbout.
    QMenu *menu(int index) const;
    // Pops menu `index` up with its top-left corner at `globalPos`.
    void popup(int index, const QPoint &globalPos);

    QMenu *menuFile = nullptr;
    QMenu *menuTools = nullptr;
    QMenu *menuSetting = nullptr;
    QMenu *menuAbout = nullptr;

    QAction *menuOpen = nullptr;
    QAction *menuSave = nullptr;
    QAction *menuS = nullptr;
    QAction *menuExit = nullptr;
    QAction *menuRRC = nullptr;
    QAction *menuBestPart = nullptr;
    QAction *menuSR = nullptr;
    QAction *menuSettings = nullptr;
    QAction *menuA = nullptr;
    QAction *menuHelp = nullptr;

private:
    QMenu *addMenu(const char *name, const QString &title);
    QAction *addEntry(QMenu *menu, const char *name, const QString &caption, const QString &word);

    WordWriter m_writeWord;
    std::array<QMenu *, 4> m_menus{};
};
