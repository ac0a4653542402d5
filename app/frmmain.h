#pragma once

#include "editorstate.h"
#include "frmsetting.h"
#include "hoverrules.h"
#include "screenscale.h"
#include "setupfile.h"
#include "skinnedwindow.h"
#include "workingfolder.h"

#include <QPointer>

#include <array>
#include <functional>
#include <optional>
#include <memory>

class CCommonDialogs;
class ConsoleRunner;
class DesktopOpener;
class MainWorkflow;
class QLabel;
class SkinImage;
class SoundCommands;
class StripWidget;
class TimeLabels;
class TimelineEditor;
class UserPrompt;


// The main window: the skin with its image buttons, the hint line and
// version label, and the program's start-up and confirmed shutdown.
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
    };

    static constexpr QRgb TextColor = 0xFF0B4D6D;   // RGB(11, 77, 109)
    static constexpr QRgb DimTextColor = 0xFF476371; // RGB(71, 99, 113)

    explicit frmMain(Environment environment, QWidget *parent = nullptr);
    ~frmMain() override;

    // The command table of the toolbar, and the transport row.
    void imgButton_Click(int index);
    void imgCtrlButton_Click(int index);
    void imgMenu_Click(int index);
    void imgFeedback_Click();

    // Shows the one settings dialog, or brings it forward when it is open.
    void showSettings();
    frmSetting *settingsDialog() const { return m_setting; }

    EditorState &state() { return m_state; }
    SetupValues settings() const { return {m_state.OpenFolderChoice, m_state.RingSoundChoice}; }
    SoundCommands &sound() const { return *m_sound; }
    TimelineEditor &editor() const { return *m_editor; }
    // Open, Save, the menus, the command words, help, mail and About.
    MainWorkflow &workflow() const { return *m_workflow; }
    QString setupPath() const { return m_environment.setupPath; }
    QString workingFile() const { return m_work.workingFile(); }
    QString workingFolder() const { return m_work.path(); }
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
    // The decode and the export runner.
    ConsoleRunner *objDOS = nullptr;
    ConsoleRunner *objDOS1 = nullptr;
    // The one common-dialog object, bound to this window.
    std::unique_ptr<CCommonDialogs> Dialogs;

protected:
    void closeEvent(QCloseEvent *event) override;
    void bareMouseMove(QMouseEvent *event) override;

private:
    void loadPictures();
    void createControls();
    void connectHover();
    void createWorkflow();
    void setCommandsEnabled(bool enabled);
    void showLooks();
    bool confirmExit();
    void shutdown();

    Environment m_environment;
    ScreenScale m_scale;
    HoverRules m_rules;
    EditorState m_state;
    WorkingFolder m_work;
    std::unique_ptr<SoundCommands> m_ownSound;
    SoundCommands *m_sound = nullptr;
    TimelineEditor *m_editor = nullptr;
    std::unique_ptr<DesktopOpener> m_ownDesktop;
    MainWorkflow *m_workflow = nullptr;
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
