#include "frmmain.h"

#include "art.h"
#include "ccommondialogs.h"
#include "consolerunner.h"
#include "desktopopener.h"
#include "frmmenu.h"
#include "mainworkflow.h"
#include "frmsetting.h"
#include "skinart.h"
#include "skinimage.h"
#include "soundchannel.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "randomcut.h"
#include "timelineeditor.h"
#include "userprompt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QScreen>

#include <cmath>

namespace {

// Design positions in twips.
constexpr std::array<Spot, HoverRules::ToolbarCount> ToolbarSpots{{
    {360, 970, 555, 480},
    {990, 970, 555, 480},
    {1920, 970, 555, 480},
    {0, 0, 0, 0}, // not used
    {2560, 975, 555, 480},
    {3445, 975, 555, 480},
    {4150, 975, 555, 480},
    {4780, 975, 555, 480},
}};
constexpr std::array<Spot, HoverRules::MenuCount> MenuSpots{{
    {270, 630, 720, 270},
    {1070, 630, 840, 270},
    {1980, 630, 1020, 270},
    {3090, 630, 930, 270},
}};
constexpr std::array<Spot, HoverRules::CtrlCount> CtrlSpots{{
    {300, 7240, 510, 480},
    {960, 7240, 510, 480},
    {1620, 7240, 510, 480},
    {2280, 7240, 510, 480},
    {2940, 7240, 510, 480},
    {3600, 7240, 510, 480},
    {9640, 7240, 1620, 480},
}};
constexpr Spot MinSpot{10560, 180, 330, 330};
constexpr Spot ExitSpot{10940, 180, 330, 330};
constexpr Spot OpenSpot{2190, 3300, 465, 540};
constexpr Spot FeedbackSpot{9720, 8070, 1245, 255};
constexpr Spot TextSpot{270, 8070, 3315, 210};
constexpr Spot VersionSpot{2580, 240, 1305, 210};
constexpr Spot StripSpot{150, 1560, 11195, 5400};
constexpr int ClientWidth = 11460;
constexpr int ClientHeight = 8460;

QFont tahoma(double points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("sans-serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setTextColor(QLabel *label, QRgb color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(color));
    label->setPalette(palette);
}
} // namespace

frmMain::frmMain(Environment environment, QWidget *parent)
    : SkinnedWindow(parent), m_environment(std::move(environment)),
      m_scale(m_environment.scale ? *m_environment.scale
                                  : ScreenScale::fromDpi(logicalDpiX(), logicalDpiY())),
      m_work(m_environment.cacheBase)
{
    setObjectName(QStringLiteral("frmMain"));
    setMouseTracking(true);
    if (m_environment.setupPath.isEmpty())
        m_environment.setupPath = SetupFile::defaultPath();
    if (!m_environment.endProgram)
        m_environment.endProgram = [] { QCoreApplication::exit(0); };

    // The load runs in this order; a step that fails leaves its defaults and
    // the next goes on.
    const QString skinName = QStringLiteral("main");
    setSkin(SkinArt::picture(skinName, QSize(765, 565), SkinArt::Kind::Skin),
            SkinArt::shapeImage(skinName, QSize(765, 565)));
    m_state.OpenFolderChoice = 0;
    m_state.RingSoundChoice = 0;
    const SetupValues stored = SetupFile::read(m_environment.setupPath);
    m_state.OpenFolderChoice = stored.openFolderChoice;
    m_state.RingSoundChoice = stored.ringSoundChoice;
    m_state.FileOpened = m_state.Dragging = m_state.Paused = False16;
    objDOS = new ConsoleRunner(*m_environment.prompt, this);
    objDOS->setObjectName(QStringLiteral("objDOS"));
    objDOS1 = new ConsoleRunner(*m_environment.prompt, this);
    objDOS1->setObjectName(QStringLiteral("objDOS1"));
    m_state.PlayingSelection = False16;
    m_state.SelBegin = 0;
    m_state.SelEnd = 0;
    Dialogs = std::make_unique<CCommonDialogs>();
    Dialogs->Init(this);

    m_sound = m_environment.sound;
    if (!m_sound) {
        m_ownSound = std::make_unique<SoundChannel>();
        m_sound = m_ownSound.get();
    }
    // The editor's model places the begin set at 0 and the end set at the
    // strip's width as it starts.
    m_editor = new TimelineEditor(m_state, *m_sound, *m_environment.prompt, m_work.workingFile(),
                                  int(std::lround(m_scale.twipsPerPixelX())), this);
    loadPictures();
    createControls();
    connectHover();
    createWorkflow();
    QCoreApplication::processEvents();

    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

frmMain::~frmMain()
{
    // The strip and labels use the editor, the editor uses the sound channel:
    // they go first, before the members they refer to.
    delete m_workflow;
    delete picOpened;
    delete timeLabels;
    delete m_editor;
    if (!m_ended)
        m_work.remove();
}

void frmMain::place(QWidget *control, int left, int top, int width, int height) const
{
    control->setGeometry(m_scale.pixels(left, top, width, height));
}

void frmMain::loadPictures()
{
    using SkinArt::Kind;
    const auto size = [this](const Spot &spot) {
        return m_scale.pixels(spot.left, spot.top, spot.width, spot.height).size();
    };
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        if (HoverRules::isToolbarIndex(i))
            imgButtonData[i] = SkinArt::picture(Art::buttonLight(i),
                                                size(ToolbarSpots[i]), Kind::Highlight);
    }
    for (int i = 0; i < HoverRules::MenuCount; ++i)
        imgMenuData[i] = SkinArt::picture(Art::menuLight(i),
                                          size(MenuSpots[i]), Kind::Highlight);
    for (int i = 0; i < HoverRules::CtrlCount; ++i) {
        imgCtrlButtonLight[i] = SkinArt::picture(Art::ctrlLight(i),
                                                 size(CtrlSpots[i]), Kind::Highlight);
        imgCtrlButtonPress[i] = SkinArt::picture(Art::ctrlPress(i),
                                                 size(CtrlSpots[i]), Kind::Pressed);
    }
    imgMinLight = SkinArt::picture(QStringLiteral("min-light"), size(MinSpot), Kind::Highlight);
    imgExitLight = SkinArt::picture(QStringLiteral("exit-light"), size(ExitSpot), Kind::Highlight);
    imgGettingStartedLight =
        SkinArt::picture(QStringLiteral("open-light"), size(OpenSpot), Kind::Highlight);
}

void frmMain::createControls()
{
    const auto make = [this](const QString &name, const Spot &spot, const QString &tip) {
        auto *image = new SkinImage(this);
        image->setObjectName(name);
        image->setToolTip(tip);
        place(image, spot.left, spot.top, spot.width, spot.height);
        return image;
    };
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        if (HoverRules::isToolbarIndex(i))
            imgButton[i] = make(QStringLiteral("imgButton_%1").arg(i), ToolbarSpots[i],
                                HoverRules::toolbarTip(i));
    }
    for (int i = 0; i < HoverRules::MenuCount; ++i)
        imgMenu[i] = make(QStringLiteral("imgMenu_%1").arg(i), MenuSpots[i], {});
    for (int i = 0; i < HoverRules::CtrlCount; ++i)
        imgCtrlButton[i] = make(QStringLiteral("imgCtrlButton_%1").arg(i), CtrlSpots[i],
                                HoverRules::ctrlTip(i));
    imgMin = make(QStringLiteral("imgMin"), MinSpot, HoverRules::minTip());
    imgExit = make(QStringLiteral("imgExit"), ExitSpot, HoverRules::exitTip());
    imgOpen = make(QStringLiteral("imgOpen"), OpenSpot, {});
    imgFeedback = make(QStringLiteral("imgFeedback"), FeedbackSpot, {});
    imgOpen->setCursor(SkinArt::handCursor());
    imgFeedback->setCursor(SkinArt::handCursor());

    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setFont(tahoma(m_scale.fontPoints(8)));
    setTextColor(lblText, TextColor);
    place(lblText, TextSpot.left, TextSpot.top, TextSpot.width, TextSpot.height);

    // A press on the version label moves the window like the bare skin: the
    // label leaves mouse presses to the window beneath.
    lblVersion = new QLabel(QStringLiteral("- Ver %1.%2.%3")
                                .arg(KESMARIN_VERSION_MAJOR)
                                .arg(KESMARIN_VERSION_MINOR)
                                .arg(KESMARIN_VERSION_PATCH),
                            this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(tahoma(m_scale.fontPoints(9), true));
    setTextColor(lblVersion, 0xFFFFFFFF);
    place(lblVersion, VersionSpot.left, VersionSpot.top, VersionSpot.width, VersionSpot.height);

    picOpened = new StripWidget(*m_editor, this);
    picOpened->setObjectName(QStringLiteral("picOpened"));
    place(picOpened, StripSpot.left, StripSpot.top, StripSpot.width, StripSpot.height);
    picOpened->setArt(SkinArt::stripArt());
    picOpened->hide();
    timeLabels = new TimeLabels(m_editor->model(), this);
    // Where the fonts at hand run wider than the designed ones, a time label
    // grows to the right into its cell rather than cut "00:00:00".
    for (int i = 0; i < TimelineModel::LabelCount; ++i) {
        QLabel *label = timeLabels->label(TimelineModel::Label(i));
        const int needed = label->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 2;
        if (label->width() < needed)
            label->resize(needed, label->height());
    }
    // The hint line and the open picture stay above the strip's area.
    lblText->raise();
}

void frmMain::connectHover()
{
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        SkinImage *button = imgButton[i];
        if (!button)
            continue;
        connect(button, &SkinImage::mouseMoved, this, [this, i] {
            m_rules.moveOverToolbar(i);
            showLooks();
        });
        connect(button, &SkinImage::pressed, this, [this, i] {
            m_rules.pressToolbar(i);
            showLooks();
        });
        connect(button, &SkinImage::released, this, [this, i] {
            m_rules.releaseToolbar(i);
            showLooks();
        });
        connect(button, &SkinImage::clicked, this, [this, i] { imgButton_Click(i); });
    }
    for (int i = 0; i < HoverRules::CtrlCount; ++i) {
        SkinImage *button = imgCtrlButton[i];
        connect(button, &SkinImage::mouseMoved, this, [this, i] {
            m_rules.moveOverCtrl(i);
            showLooks();
        });
        connect(button, &SkinImage::pressed, this, [this, i] {
            m_rules.pressCtrl(i);
            showLooks();
        });
        connect(button, &SkinImage::released, this, [this, i] {
            m_rules.releaseCtrl(i);
            showLooks();
        });
        connect(button, &SkinImage::clicked, this, [this, i] { imgCtrlButton_Click(i); });
    }
    for (int i = 0; i < HoverRules::MenuCount; ++i) {
        connect(imgMenu[i], &SkinImage::mouseMoved, this, [this, i] {
            m_rules.moveOverMenu(i);
            showLooks();
        });
        connect(imgMenu[i], &SkinImage::clicked, this, [this, i] { imgMenu_Click(i); });
    }
    connect(imgMin, &SkinImage::mouseMoved, this, [this] {
        m_rules.moveOverMin();
        showLooks();
    });
    connect(imgMin, &SkinImage::clicked, this, &QWidget::showMinimized);
    connect(imgExit, &SkinImage::mouseMoved, this, [this] {
        m_rules.moveOverExit();
        showLooks();
    });
    connect(imgExit, &SkinImage::clicked, this, &QWidget::close);
    connect(imgOpen, &SkinImage::mouseMoved, this, [this] {
        m_rules.moveOverOpen();
        showLooks();
    });
    connect(imgOpen, &SkinImage::clicked, this, [this] { imgButton_Click(0); });
    connect(imgFeedback, &SkinImage::clicked, this, &frmMain::imgFeedback_Click);
    // The transport row's save button is the toolbar's save command.
    connect(&m_editor->controller(), &PlaybackController::saveRequested, this,
            [this] { imgButton_Click(1); });
}

void frmMain::showLooks()
{
    using Look = HoverRules::Look;
    const auto show = [](SkinImage *image, Look look, const QPixmap &light,
                         const QPixmap &press = {}) {
        if (!image)
            return;
        if (look == Look::Highlight)
            image->setPicture(light);
        else if (look == Look::Pressed)
            image->setPicture(press);
        else
            image->clearPicture();
    };
    show(imgExit, m_rules.exit(), imgExitLight);
    show(imgMin, m_rules.min(), imgMinLight);
    show(imgOpen, m_rules.open(), imgGettingStartedLight);
    for (int i = 0; i < HoverRules::ToolbarCount; ++i)
        show(imgButton[i], m_rules.toolbar(i), imgButtonData[i]);
    for (int i = 0; i < HoverRules::MenuCount; ++i)
        show(imgMenu[i], m_rules.menu(i), imgMenuData[i]);
    for (int i = 0; i < HoverRules::CtrlCount; ++i)
        show(imgCtrlButton[i], m_rules.ctrl(i), imgCtrlButtonLight[i], imgCtrlButtonPress[i]);
    lblText->setText(m_rules.hint());
}

void frmMain::bareMouseMove(QMouseEvent *)
{
    m_rules.moveOverBare();
    showLooks();
}

void frmMain::imgButton_Click(int index)
{
    switch (index) {
    case 0:
        m_workflow->open();
        break;
    case 1:
        m_workflow->save();
        break;
    case 2:
        m_editor->controller().exclusive([this] { m_editor->randomCut().run(); });
        break;
    case 4:
        m_workflow->tellAFriend();
        break;
    case 5:
        showSettings();
        break;
    case 6:
        m_workflow->help();
        break;
    case 7:
        close();
        break;
    default:
        break;
    }
}

void frmMain::imgCtrlButton_Click(int index)
{
    m_editor->controller().imgCtrlButton_Click(index);
}

void frmMain::imgMenu_Click(int index)
{
    m_workflow->popupMenu(index);
}

void frmMain::imgFeedback_Click()
{
    m_workflow->feedback();
}

void frmMain::createWorkflow()
{
    DesktopOpener *desktop = m_environment.desktop;
    if (!desktop) {
        m_ownDesktop = std::make_unique<SystemDesktopOpener>();
        desktop = m_ownDesktop.get();
    }

    MainWorkflow::Parts parts;
    parts.window = this;
    parts.scale = &m_scale;
    parts.state = &m_state;
    parts.prompt = m_environment.prompt;
    // Through the editor, so that the chime never passes for the song.
    parts.sound = &m_editor->controller().sound();
    parts.dialogs = Dialogs.get();
    parts.objDOS = objDOS;
    parts.objDOS1 = objDOS1;
    parts.desktop = desktop;
    parts.appFolder = m_environment.appFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                        : m_environment.appFolder;
    parts.workFile = m_work.workingFile();
    parts.setupPath = m_environment.setupPath;
    parts.stopPlayback = [this] { imgCtrlButton_Click(PlaybackController::Stop); };
    parts.resetTimeline = [this] { m_editor->model().resetForClose(m_state); };
    parts.learnLength = [this] { m_editor->controller().learnLength(); };
    parts.setStripVisible = [this](bool visible) { picOpened->setVisible(visible); };
    parts.setPeaks = [this](const QList<Peak> &peaks) {
        // The real waveform goes on the bare strip; the decorative one stays
        // for when there is none.
        const char *name = peaks.isEmpty() ? Art::Name::Strip : Art::Name::StripBlank;
        const QPixmap strip = Art::pixmap(QString::fromLatin1(name));
        if (!strip.isNull()) {
            StripArt art = picOpened->art();
            art.strip = strip;
            picOpened->setArt(art);
        }
        picOpened->setPeaks(peaks);
    };
    parts.setCommandsEnabled = [this](bool enabled) { setCommandsEnabled(enabled); };
    parts.runToolbarCommand = [this](int index) { imgButton_Click(index); };
    parts.closeWindow = [this] { close(); };
    parts.menuPosition = [this](int index) {
        SkinImage *title = imgMenu[size_t(index)];
        return title->mapToGlobal(QPoint(0, title->height()));
    };
    m_workflow = new MainWorkflow(std::move(parts), this);
}

void frmMain::setCommandsEnabled(bool enabled)
{
    // The window's own close and minimise stay usable during an export.
    for (SkinImage *image : imgButton)
        if (image)
            image->setEnabled(enabled);
    for (SkinImage *image : imgCtrlButton)
        image->setEnabled(enabled);
    for (SkinImage *image : imgMenu)
        image->setEnabled(enabled);
    imgOpen->setEnabled(enabled);
}

void frmMain::showSettings()
{
    if (!m_setting) {
        m_setting = new frmSetting(m_state.OpenFolderChoice, m_state.RingSoundChoice,
                                   m_environment.setupPath, m_scale, this);
        m_setting->setAttribute(Qt::WA_DeleteOnClose);
        m_setting->move(geometry().center() - m_setting->rect().center());
    }
    m_setting->show();
    m_setting->raise();
    m_setting->activateWindow();
}

bool frmMain::confirmExit()
{
    UserPrompt::Message message;
    message.text = QStringLiteral("真的要退出?");
    message.title = QStringLiteral("退出");
    message.icon = UserPrompt::Icon::Exclamation;
    message.buttons = UserPrompt::Buttons::OkCancel;
    return m_environment.prompt->show(message);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    // A second close while the question is up (Alt+F4 twice) waits for it.
    if (m_asking) {
        event->ignore();
        return;
    }
    m_asking = true;
    const bool ok = confirmExit();
    m_asking = false;
    if (!ok) {
        event->ignore();
        return;
    }
    shutdown();
    event->accept();
}

void frmMain::shutdown()
{
    m_ended = true;
    if (m_setting)
        m_setting->close();
    // A coder job still running would write after the program has gone.
    objDOS->cancel();
    objDOS1->cancel();
    m_editor->controller().Timer2().stop();
    m_sound->send(QStringLiteral("stop sound"));
    m_sound->send(QStringLiteral("close sound"));
    QCoreApplication::processEvents();
    m_work.remove();
    // Later, not now: the exit may come from one of the menu's own entries.
    if (frmMenu *menu = m_workflow->menuHolder())
        menu->deleteLater();
    m_environment.endProgram();
}
