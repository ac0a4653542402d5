#pragma once

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

class QLabel;
class SkinImage;
class SoundCommands;
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
        SoundCommands *sound = nullptr;    // the sound device; none: commands go nowhere
        QString setupPath;                 // empty: the user's configuration folder
        QString cacheBase;                 // empty: the user's cache folder
        std::optional<ScreenScale> scale;  // empty: from the screen
        std::function<void()> endProgram;  // empty: leave the event loops
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

    SetupValues &settings() { return m_settings; }
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

protected:
    void closeEvent(QCloseEvent *event) override;
    void bareMouseMove(QMouseEvent *event) override;

private:
    void loadPictures();
    void createControls();
    void connectHover();
    void showLooks();
    bool confirmExit();
    void shutdown();

    Environment m_environment;
    ScreenScale m_scale;
    HoverRules m_rules;
    SetupValues m_settings;
    WorkingFolder m_work;
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
