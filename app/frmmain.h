#pragma once

#include "commandtable.h"
#include "frmmenu.h"
#include "frmsetting.h"
#include "hoverrules.h"
#include "screenscale.h"
#include "setupfile.h"
#include "skinnedwindow.h"

#include <QPointer>

#include <array>
#include <functional>
#include <optional>
#include <memory>

class CCommonDialogs;
class LiveStatus;
class ConsoleRunner;
class DesktopOpener;
class EditingKeys;
class FadeControls;
class FileRequester;
class ProgressPanel;
class QLabel;
class QLineEdit;
class RingtoneSession;
class SkinImage;
class SoundCommands;
class StripWidget;
class TimeLabels;
class TimelineEditor;
class UserPrompt;
struct Peak;

// The main window: the skin with its image buttons, the hint line and
// version label, the progress panels, the strip, the popup menus and the
// confirmed shutdown. It owns the ringtone session, passes what the user does
// to it and shows what it says.
class frmMain : public SkinnedWindow
{
    Q_OBJECT
public:
    // Where the window reaches the world; tests replace each part.
    struct Environment {
        UserPrompt *prompt = nullptr;      // message boxes (required)
        SoundCommands *sound = nullptr;    // the sound device; none: the program's own channel
        QString setupPath;                 // empty: the user's configuration folder
        QString cacheBase;                 // empty: the user's cache folder
        std::optional<ScreenScale> scale;  // empty: from the screen
        std::function<void()> endProgram;  // empty: leave the event loops
        DesktopOpener *desktop = nullptr;  // folders, help and mail; none: the desktop's own
        QString appFolder;                 // data/coder, sound.wav, help/; empty: the program's folder
        FileRequester *files = nullptr;    // the open and save names; none: the window's own dialogs
    };

    explicit frmMain(Environment environment, QWidget *parent = nullptr);
    ~frmMain() override;

    // The command table of the toolbar, and the transport row.
    void imgButton_Click(int index);
    void imgCtrlButton_Click(int index);
    void imgMenu_Click(int index);
    void imgFeedback_Click();
    // A click on menu title i: loads frmMenu if needed and pops its menu up.
    void popupMenu(int index);
    // What a menu entry does: writes its word into txtAction. Writing the
    // word already there dispatches it again, so a menu entry always works.
    void writeCommandWord(const QString &word);

    // The program was told to end (a logout, Ctrl+C): ends as after a
    // confirmed exit, without asking.
    void endNow();

    // Shows the one settings dialog, or brings it forward when it is open.
    void showSettings();
    frmSetting *settingsDialog() const { return m_setting; }

    RingtoneSession &session() const { return *m_session; }
    SetupValues settings() const;
    SoundCommands &sound() const { return *m_sound; }
    TimelineEditor &editor() const;
    frmMenu *menuHolder() const { return m_menu; }
    QString setupPath() const;
    QString workingFile() const;
    QString workingFolder() const;
    const ScreenScale &scale() const { return m_scale; }
    UserPrompt &prompt() const { return *m_environment.prompt; }
    const HoverRules &rules() const { return m_rules; }
    // Design twips to pixels on this window.
    void place(QWidget *control, int left, int top, int width, int height) const;

    // Controls, under their own names (also their object names).
    std::array<SkinImage *, HoverRules::ToolbarCount> imgButton{};
    std::array<SkinImage *, HoverRules::MenuCount> imgMenu{};
    std::array<SkinImage *, HoverRules::CtrlCount> imgCtrlButton{};
    SkinImage *imgMin = nullptr;
    SkinImage *imgExit = nullptr;
    SkinImage *imgOpen = nullptr;
    SkinImage *imgFeedback = nullptr;
    QLabel *lblText = nullptr;
    QLabel *lblVersion = nullptr;
    // The timeline strip, hidden until a file is open, and its time labels.
    StripWidget *picOpened = nullptr;
    TimeLabels *timeLabels = nullptr;
    // The export's fades and level.
    FadeControls *fraFades = nullptr;
    // Editing keys and the undo stack of the selection.
    EditingKeys *m_keys = nullptr;
    // The decode panel and the export panel, with their bars and texts.
    ProgressPanel *picPBBack = nullptr;
    QLabel *imgPB = nullptr;
    QLabel *lblPB = nullptr;
    ProgressPanel *picPro = nullptr;
    QLabel *imgPro = nullptr;
    QLabel *lblPro = nullptr;
    QLabel *lblFileName = nullptr;
    // What a screen reader is told of results: saved, failed, cancelled, refused.
    LiveStatus *lblAnnounce = nullptr;
    // The hidden command-word box the menu entries write into.
    QLineEdit *txtAction = nullptr;
    // The session's decode and export runner.
    ConsoleRunner *objDOS = nullptr;
    ConsoleRunner *objDOS1 = nullptr;
    // The one common-dialog object, bound to this window.
    std::unique_ptr<CCommonDialogs> Dialogs;

protected:
    // A press on a disabled command's button says why it is off, and never
    // moves the window.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void bareMouseMove(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createSession();
    void loadPictures();
    void createControls();
    void connectHover();
    void connectSession();
    // Each control that triggers a command is enabled exactly when it is.
    void bindCommands();
    // A text too long for its label loses its middle; the whole is the tip.
    static void setElidedText(QLabel *label, const QString &text);
    void followCommand(QWidget *control, Command command);
    void enableMenuEntries();
    // Tab order, the menu keys, and each command's key in its tooltip.
    void bindKeyboard();
    QKeySequence shortcutOf(Command command) const;
    void showPeaks(const QList<Peak> &peaks);
    void showAbout();
    void exitProgram();
    void showLooks();
    bool confirmExit();
    void shutdown();

    Environment m_environment;
    ScreenScale m_scale;
    HoverRules m_rules;
    std::unique_ptr<SoundCommands> m_ownSound;
    SoundCommands *m_sound = nullptr;
    std::unique_ptr<DesktopOpener> m_ownDesktop;
    std::unique_ptr<FileRequester> m_files;
    std::unique_ptr<UserPrompt> m_announcing;
    std::unique_ptr<RingtoneSession> m_session;
    QPointer<frmMenu> m_menu;
    // What the status strip says of the last export that was read back.
    QString m_savedText;
    QPointer<frmSetting> m_setting;
    bool m_asking = false; // the exit question is up
    bool m_ended = false;  // shutdown done; further closes pass

    // Picture holders: highlight and pressed looks, one per button.
    std::array<QPixmap, HoverRules::ToolbarCount> imgButtonData;
    std::array<QPixmap, HoverRules::MenuCount> imgMenuData;
    std::array<QPixmap, HoverRules::CtrlCount> imgCtrlButtonLight;
    std::array<QPixmap, HoverRules::CtrlCount> imgCtrlButtonPress;
    QPixmap imgExitLight;
    QPixmap imgMinLight;
    QPixmap imgGettingStartedLight;
};
