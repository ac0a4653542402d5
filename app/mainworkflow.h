#pragma once

#include "commanddispatcher.h"
#include "exportcontroller.h"
#include "filerequester.h"
#include "frmmenu.h"
#include "opencontroller.h"
#include "peakextractor.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class CCommonDialogs;
class ConsoleRunner;
class DesktopOpener;
class QLabel;
class QLineEdit;
class QWidget;
class ScreenScale;
class SoundCommands;
class UserPrompt;
struct EditorState;

// The main window's share of the ringtone workflow: the decode and export
// progress panels, the file name, the hidden command-word box txtAction with
// its dispatcher, the popup menus, and the Open, Save, help, mail and About
// commands. The window hands in what it owns and the few things only it can
// do (stop playback, reset or show the strip, enable its buttons).
class MainWorkflow : public QObject, public OpenView, public ExportView, public CommandTarget
{
    Q_OBJECT
public:
    struct Parts {
        QWidget *window = nullptr;
        const ScreenScale *scale = nullptr;
        EditorState *state = nullptr;
        UserPrompt *prompt = nullptr;
        SoundCommands *sound = nullptr;
        CCommonDialogs *dialogs = nullptr;
        ConsoleRunner *objDOS = nullptr;
        ConsoleRunner *objDOS1 = nullptr;
        DesktopOpener *desktop = nullptr;
        QString appFolder;
        QString workFile;
        QString setupPath; // setup.ini: the export keeps the folder last saved to there

        std::function<void()> stopPlayback;
        std::function<void()> resetTimeline;
    // The working file holds a new song: its length is known from now on.
    std::function<void()> learnLength;
        std::function<void(bool)> setStripVisible;
        std::function<void(const QList<Peak> &)> setPeaks;
        // The toolbar, the transport row and the menu titles.
        std::function<void(bool)> setCommandsEnabled;
        std::function<void(int)> runToolbarCommand;
        std::function<void()> closeWindow;
        // Where popup menu i opens: below its title's lower left corner.
        std::function<QPoint(int)> menuPosition;
    };

    explicit MainWorkflow(Parts parts, QObject *parent = nullptr);
    ~MainWorkflow() override;

    // Toolbar commands 0, 1, 4 and 6.
    void open();
    void save();
    void tellAFriend();
    void help();
    // The feedback link.
    void feedback();
    // A file named on the command line or dropped on the window.
    void openPath(const QString &path);

    // A click on menu title i: loads frmMenu if needed and pops its menu up.
    void popupMenu(int index);
    // What a menu entry does: writes its word into txtAction. Writing the
    // word already there dispatches it again, so a menu entry always works.
    void writeCommandWord(const QString &word);

    // CommandTarget
    void runToolbarCommand(int index) override;
    void showAbout() override;
    void exitProgram() override;

    OpenController &openController() { return *m_open; }
    ExportController &exportController() { return *m_export; }
    frmMenu *menuHolder() const { return m_menu; }
    bool isBusy() const { return m_open->isDecoding() || m_export->isExporting(); }

    // Controls, under their own names (also their object names).
    QWidget *picPBBack = nullptr;
    QLabel *imgPB = nullptr;
    QLabel *lblPB = nullptr;
    QWidget *picPro = nullptr;
    QLabel *imgPro = nullptr;
    QLabel *lblPro = nullptr;
    QLabel *lblFileName = nullptr;
    QLineEdit *txtAction = nullptr;

    // OpenView
    void stopPlayback() override;
    void setFileNameText(const QString &text) override;
    void setDecodePanelVisible(bool visible) override;
    void setDecodeProgress(int widthTwips, const QString &text) override;
    void setStripVisible(bool visible) override;
    void resetTimeline() override;
    void decodeSucceeded(const QString &workFile) override;
    // ExportView
    void setCommandsEnabled(bool enabled) override;
    void setExportPanelVisible(bool visible) override;
    void setExportProgress(int widthTwips, const QString &text) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void place(QWidget *control, int left, int top, int width, int height) const;
    int pixelsX(int twips) const;

    Parts m_parts;
    std::unique_ptr<FileRequester> m_files;
    std::unique_ptr<OpenController> m_open;
    std::unique_ptr<ExportController> m_export;
    CommandDispatcher m_dispatcher{*this};
    QPointer<frmMenu> m_menu;
};
