#include "frmmain.h"

#include "accessibility.h"
#include "art.h"
#include "ccommondialogs.h"
#include "consolerunner.h"
#include "dialogsfilerequester.h"
#include "editingkeys.h"
#include "fadecontrols.h"
#include "frmmenu.h"
#include "frmsetting.h"
#include "looks.h"
#include "progresspanel.h"
#include "ringtonesession.h"
#include "shelllinks.h"
#include "skinart.h"
#include "skinimage.h"
#include "soundchannel.h"
#include "stripwidget.h"
#include "systemdesktopopener.h"
#include "timelabels.h"
#include "timelineeditor.h"
#include "toolbarcommand.h"
#include "userprompt.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <sys/stat.h>

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
constexpr Spot TextSpot{270, 8070, 4170, 210};   // up to the file name's rule
constexpr Spot VersionSpot{2580, 240, 1305, 210};
constexpr Spot StripSpot{150, 1560, 11195, 5400};
// The status strip's file-name area; the export panel covers it while it runs.
constexpr Spot FileNameSpot{4650, 8070, 4800, 210};
// Between the toolbar's last button and the skin's title on the right; the
// English title is shorter than the Chinese one, and so are the Chinese words.
constexpr Spot FadesSpot{5310, 1020, 4260, 360};
// The strip's marker span: the waveform gets one column per pixel of it.
constexpr int PeakSpanTwips = 10920;

constexpr ProgressPanel::Design DecodePanel{
    "picPBBack", "imgPB", "lblPB", "decode-panel", "decode-bar",
    {1990, 6000, 6935, 555}, {1350, 195, 15, 195}, {2865, 195, 2355, 195}, 5415, false,
    "cmdCancelDecode", {9045, 6120, 900, 330}};
constexpr ProgressPanel::Design ExportPanel{
    "picPro", "imgPro", "lblPro", "export-panel", "export-bar",
    {4650, 8070, 4215, 225}, {0, 0, 15, 225}, {0, 0, 4215, 225}, 4215, true,
    "cmdCancelExport", {8910, 8025, 765, 300}};
constexpr int ClientWidth = 11460;
constexpr int ClientHeight = 8460;

// The first local file of a drag, as the bytes of its name; empty when it
// carries none. The URL keeps bytes that are not UTF-8 percent-encoded, where
// Qt's text for the path would have lost them.
QByteArray droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QByteArray();
    for (const QUrl &url : mime->urls()) {
        // A file on another host is no file of ours.
        if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == u"localhost"))
            continue;
        const QByteArray local =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        struct stat info {};
        if (::stat(local.constData(), &info) == 0 && S_ISREG(info.st_mode))
            return local;
    }
    return QByteArray();
}
} // namespace

frmMain::frmMain(Environment environment, QWidget *parent)
    : SkinnedWindow(parent), m_environment(std::move(environment)),
      m_scale(m_environment.scale ? *m_environment.scale
                                  : ScreenScale::fromDpi(logicalDpiX(), logicalDpiY()))
{
    setObjectName(QStringLiteral("frmMain"));
    setMouseTracking(true);
    setAcceptDrops(true);
    Accessibility::install();
    if (!m_environment.endProgram)
        m_environment.endProgram = [] { QCoreApplication::exit(0); };

    const QString skinName = QStringLiteral("main");
    setSkin(SkinArt::picture(skinName, QSize(765, 565), SkinArt::Kind::Skin),
            SkinArt::shapeImage(skinName, QSize(765, 565)));
    createSession();
    loadPictures();
    createControls();
    connectHover();
    connectSession();
    QCoreApplication::processEvents();

    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

frmMain::~frmMain()
{
    // The strip and labels use the session's editor, the editor the sound
    // channel: they go first, before what they refer to.
    delete m_menu;
    delete picOpened;
    delete timeLabels;
    m_session.reset();
}

void frmMain::createSession()
{
    Dialogs = std::make_unique<CCommonDialogs>();
    Dialogs->Init(this);
    m_files = std::make_unique<DialogsFileRequester>(*Dialogs);
    m_sound = m_environment.sound;
    if (!m_sound) {
        m_ownSound = std::make_unique<SoundChannel>();
        m_sound = m_ownSound.get();
    }
    DesktopOpener *desktop = m_environment.desktop;
    if (!desktop) {
        m_ownDesktop = std::make_unique<SystemDesktopOpener>(*m_environment.prompt);
        desktop = m_ownDesktop.get();
    }

    m_announcing = std::make_unique<AnnouncingPrompt>(*m_environment.prompt, [this](const QString &text) {
        if (lblAnnounce)
            lblAnnounce->announce(text);
    });
    RingtoneSession::Services services;
    services.prompt = m_announcing.get();
    services.files = m_environment.files ? m_environment.files : m_files.get();
    services.desktop = desktop;
    services.sound = m_sound;
    services.setupPath = m_environment.setupPath;
    services.cacheBase = m_environment.cacheBase;
    services.appFolder = m_environment.appFolder.isEmpty()
                             ? QCoreApplication::applicationDirPath()
                             : m_environment.appFolder;
    services.twipsPerPixelX = int(std::lround(m_scale.twipsPerPixelX()));
    services.peakColumns = m_scale.pixelsX(PeakSpanTwips);
    m_session = std::make_unique<RingtoneSession>(std::move(services));
    objDOS = &m_session->objDOS();
    objDOS1 = &m_session->objDOS1();
}

SetupValues frmMain::settings() const
{
    return m_session->settings();
}

TimelineEditor &frmMain::editor() const
{
    return m_session->editor();
}

QString frmMain::setupPath() const
{
    return m_session->setupPath();
}

QString frmMain::workingFile() const
{
    return m_session->workingFile();
}

QString frmMain::workingFolder() const
{
    return m_session->workingFolder();
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
        // A screen reader names a picture button by what its tip says.
        image->setAccessibleName(tip);
        image->setFocusPolicy(Qt::StrongFocus);
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
    // Names for the tools where the skin paints the words, in the session's
    // language even where the skin keeps English; the lit pictures show the
    // focus as they show the mouse.
    const QString menuTitles[HoverRules::MenuCount] = {tr("文件"), tr("工具"), tr("设置"), tr("关于")};
    for (int i = 0; i < HoverRules::MenuCount; ++i) {
        imgMenu[i]->setAccessibleName(menuTitles[i]);
        imgMenu[i]->setAccessibleRole(QAccessible::ButtonMenu);
        imgMenu[i]->setFocusPicture(imgMenuData[i]);
    }
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        if (imgButton[i])
            imgButton[i]->setFocusPicture(imgButtonData[i]);
    }
    for (int i = 0; i < HoverRules::CtrlCount; ++i)
        imgCtrlButton[i]->setFocusPicture(imgCtrlButtonLight[i]);
    imgExit->setFocusPicture(imgExitLight);
    imgMin->setFocusPicture(imgMinLight);
    imgOpen->setAccessibleName(HoverRules::toolbarTip(int(ToolbarCommand::Open)));
    imgOpen->setFocusPicture(imgGettingStartedLight);
    imgFeedback->setAccessibleName(tr("反馈"));

    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setFont(Looks::tahoma(m_scale.fontPoints(8)));
    Looks::setTextColor(lblText, Looks::TextColor);
    place(lblText, TextSpot.left, TextSpot.top, TextSpot.width, TextSpot.height);

    // A press on the version label moves the window like the bare skin: the
    // label leaves mouse presses to the window beneath.
    lblVersion = new QLabel(QStringLiteral("- Ver %1.%2.%3")
                                .arg(KESMARIN_VERSION_MAJOR)
                                .arg(KESMARIN_VERSION_MINOR)
                                .arg(KESMARIN_VERSION_PATCH),
                            this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(Looks::tahoma(m_scale.fontPoints(9), true));
    Looks::setTextColor(lblVersion, Looks::White);
    place(lblVersion, VersionSpot.left, VersionSpot.top, VersionSpot.width, VersionSpot.height);

    picOpened = new StripWidget(editor(), this, m_scale.kx());
    picOpened->setObjectName(QStringLiteral("picOpened"));
    place(picOpened, StripSpot.left, StripSpot.top, StripSpot.width, StripSpot.height);
    picOpened->setArt(SkinArt::stripArt());
    picOpened->hide();
    picOpened->setAccessibleName(tr("时间线"));
    picOpened->setFocusPolicy(Qt::StrongFocus);
    timeLabels = new TimeLabels(editor().model(), this, m_scale.kx());
    const QString cellNames[TimelineModel::LabelCount] = {
        tr("播放时间"), tr("选择开始"), tr("选择结束"), tr("选择长度"),
        tr("视图开始"), tr("视图结束"), tr("视图长度")};
    for (int i = 0; i < TimelineModel::LabelCount; ++i)
        Accessibility::markTimeCell(timeLabels->label(TimelineModel::Label(i)), cellNames[i]);
    for (auto cell : {TimelineModel::Label::lblSelBegin, TimelineModel::Label::lblSelEnd}) {
        QLabel *label = timeLabels->label(cell);
        label->setFocusPolicy(Qt::StrongFocus);
        label->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px dotted palette(text); }"));
    }
    connect(&editor().model(), &TimelineModel::labelChanged, this, [this](TimelineModel::Label which) {
        Accessibility::timeCellChanged(timeLabels->label(which));
        Accessibility::timelineChanged(picOpened);
    });
    // Where the fonts at hand run wider than the designed ones, a time label
    // grows to the right into its cell rather than cut "00:00:00".
    for (int i = 0; i < TimelineModel::LabelCount; ++i) {
        QLabel *label = timeLabels->label(TimelineModel::Label(i));
        const int needed = label->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 2;
        if (label->width() < needed)
            label->resize(needed, label->height());
    }
    // The export's fades and level, on the free end of the toolbar band.
    fraFades = new FadeControls(m_scale.fontPoints(8), this);
    place(fraFades, FadesSpot.left, FadesSpot.top, FadesSpot.width, FadesSpot.height);
    // No wider than its words, so it never lies over the painted title.
    fraFades->resize(std::min(fraFades->width(), fraFades->sizeHint().width()), fraFades->height());
    // The hint line and the open picture stay above the strip's area.
    lblText->raise();

    picPBBack = new ProgressPanel(DecodePanel, m_scale, this);
    imgPB = picPBBack->bar();
    lblPB = picPBBack->text();
    picPBBack->setAccessibleName(tr("正在解码"));
    picPro = new ProgressPanel(ExportPanel, m_scale, this);
    picPro->setAccessibleName(tr("正在保存"));
    imgPro = picPro->bar();
    lblPro = picPro->text();

    lblFileName = new QLabel(this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    place(lblFileName, FileNameSpot.left, FileNameSpot.top, FileNameSpot.width,
          FileNameSpot.height);
    Looks::setTextColor(lblFileName, Looks::DimTextColor);
    // The export panel lies over the file name while an export runs.
    picPro->raise();

    txtAction = new QLineEdit(QStringLiteral("Text1"), this);
    txtAction->setObjectName(QStringLiteral("txtAction"));
    txtAction->hide();
    Accessibility::leaveOut(txtAction);

    lblAnnounce = new LiveStatus(this);
    place(lblAnnounce, TextSpot.left, TextSpot.top, TextSpot.width, TextSpot.height);
    lblAnnounce->lower();
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
    connect(imgOpen, &SkinImage::clicked, this,
            [this] { imgButton_Click(int(ToolbarCommand::Open)); });
    connect(imgFeedback, &SkinImage::clicked, this, &frmMain::imgFeedback_Click);
}

void frmMain::connectSession()
{
    RingtoneSession *session = m_session.get();
    connect(txtAction, &QLineEdit::textChanged, session, &RingtoneSession::dispatchWord);
    connect(session, &RingtoneSession::fileNameChanged, lblFileName,
            [this](const QString &text) { setElidedText(lblFileName, text); });
    connect(session, &RingtoneSession::decodePanelVisibleChanged, picPBBack,
            &ProgressPanel::setShown);
    connect(session, &RingtoneSession::decodeProgressChanged, picPBBack,
            &ProgressPanel::setProgress);
    connect(session, &RingtoneSession::exportPanelVisibleChanged, picPro,
            &ProgressPanel::setShown);
    connect(session, &RingtoneSession::exportProgressChanged, picPro,
            &ProgressPanel::setProgress);
    connect(picPBBack, &ProgressPanel::cancelClicked, session, &RingtoneSession::cancel);
    connect(picPro, &ProgressPanel::cancelClicked, session, &RingtoneSession::cancel);
    // Escape belongs to the running job only: at other times it stays with
    // the widgets (the typed-time field closes on it).
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setEnabled(false);
    connect(escape, &QShortcut::activated, session, &RingtoneSession::cancel);
    const auto escapeWhileBusy = [this, escape] {
        escape->setEnabled(!picPBBack->isHidden() || !picPro->isHidden());
    };
    connect(session, &RingtoneSession::decodePanelVisibleChanged, escape, escapeWhileBusy);
    connect(session, &RingtoneSession::exportPanelVisibleChanged, escape, escapeWhileBusy);
    connect(session, &RingtoneSession::statusTextChanged, this, [this](const QString &text) {
        m_savedText = text;
        setElidedText(lblText, text);
        if (!text.isEmpty())
            lblAnnounce->announce(text);
    });
    const auto cancelled = [this] { lblAnnounce->announce(tr("已取消")); };
    connect(picPBBack, &ProgressPanel::cancelClicked, this, cancelled);
    connect(picPro, &ProgressPanel::cancelClicked, this, cancelled);
    connect(escape, &QShortcut::activated, this, cancelled);
    connect(session, &RingtoneSession::fileOpened, this, [this](const QList<Peak> &peaks) {
        lblAnnounce->announce(tr("已打开：%1").arg(lblFileName->text()));
        picOpened->show();
        showPeaks(peaks);
        update();
    });
    connect(session, &RingtoneSession::fileClosed, this, [this] {
        picOpened->hide();
        showPeaks({});
        update();
    });
    connect(session, &RingtoneSession::settingsRequested, this, &frmMain::showSettings);
    connect(session, &RingtoneSession::aboutRequested, this, &frmMain::showAbout);
    connect(session, &RingtoneSession::exitRequested, this, &frmMain::exitProgram);

    fraFades->setFades(session->fades());
    connect(fraFades, &FadeControls::fadesEdited, session, &RingtoneSession::setFades);
    connect(session, &RingtoneSession::fadesChanged, fraFades, &FadeControls::setFades);
    const auto showFades = [this](const FadeLevel &fades) { picOpened->setFades(fades.fadeInMs, fades.fadeOutMs); };
    showFades(session->fades());
    connect(session, &RingtoneSession::fadesChanged, picOpened, showFades);
    m_keys = new EditingKeys(*session, *timeLabels, this);
    connect(m_keys, &EditingKeys::typedTimeRefused, lblAnnounce, &LiveStatus::announce);
    bindCommands();
    bindKeyboard();
}

QKeySequence frmMain::shortcutOf(Command command) const
{
    if (command == Command::Play || command == Command::Pause)
        return m_keys->playPause()->shortcut();
    return m_keys->action(command)->shortcut();
}

void frmMain::bindKeyboard()
{
    // Each command's key in its tooltip; the name the tools read stays the
    // command alone, the key comes as the press action's binding.
    const auto showKey = [this](SkinImage *button, Command command) {
        const QKeySequence key = shortcutOf(command);
        if (key.isEmpty())
            return;
        const QString text = key.toString(QKeySequence::NativeText);
        button->setToolTip(tr("%1 (%2)").arg(button->accessibleName(), text));
        button->setProperty("kesShortcut", text);
    };
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        if (imgButton[i])
            showKey(imgButton[i], RingtoneSession::toolbarCommand(ToolbarCommand(i)));
    }
    for (int i = 0; i < HoverRules::CtrlCount; ++i)
        showKey(imgCtrlButton[i], RingtoneSession::transportCommand(i));

    // F10 opens the first menu, Alt and a title's letter its own menu.
    static const Qt::Key Letters[HoverRules::MenuCount] = {Qt::Key_F, Qt::Key_T, Qt::Key_S, Qt::Key_A};
    for (int i = 0; i < HoverRules::MenuCount; ++i) {
        auto *open = new QAction(this);
        open->setObjectName(QStringLiteral("actionMenu%1").arg(i));
        QList<QKeySequence> keys{QKeySequence(Qt::ALT | Letters[i])};
        if (i == 0)
            keys.append(QKeySequence(Qt::Key_F10));
        open->setShortcuts(keys);
        open->setShortcutContext(Qt::WindowShortcut);
        imgMenu[i]->setProperty("kesShortcut", keys.first().toString(QKeySequence::NativeText));
        addAction(open);
        connect(open, &QAction::triggered, this, [this, i] {
            if (imgMenu[i]->isEnabled())
                popupMenu(i);
        });
    }

    // A press on a button whose command cannot run now is said, not silent.
    const auto refusal = [this](SkinImage *button) {
        connect(button, &SkinImage::refused, this, [this, button] {
            lblAnnounce->announce(tr("现在不能：%1").arg(button->accessibleName()));
        });
    };
    for (SkinImage *button : imgButton) {
        if (button)
            refusal(button);
    }
    for (SkinImage *button : imgCtrlButton)
        refusal(button);
    refusal(imgOpen);

    // The toolbar, the transport row and its big Save, the fades, the
    // strip and the two time cells, then the rest of the skin.
    QList<QWidget *> order;
    for (SkinImage *title : imgMenu)
        order.append(title);
    for (SkinImage *button : imgButton) {
        if (button)
            order.append(button);
    }
    for (SkinImage *button : imgCtrlButton)
        order.append(button);
    order << fraFades->txtFadeIn << fraFades->txtFadeOut << fraFades->chkNormalise << picOpened
          << timeLabels->label(TimelineModel::Label::lblSelBegin)
          << timeLabels->label(TimelineModel::Label::lblSelEnd) << imgOpen << imgFeedback << imgMin << imgExit;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void frmMain::followCommand(QWidget *control, Command command)
{
    const CommandTable &commands = m_session->commands();
    control->setEnabled(commands.isEnabled(command));
    connect(&commands, &CommandTable::enabledChanged, control, [control, command](Command changed, bool on) {
        if (changed == command)
            control->setEnabled(on);
    });
}

void frmMain::bindCommands()
{
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        if (imgButton[i]) {
            followCommand(imgButton[i], RingtoneSession::toolbarCommand(ToolbarCommand(i)));
            imgButton[i]->installEventFilter(this);
        }
    }
    for (int i = 0; i < HoverRules::CtrlCount; ++i) {
        followCommand(imgCtrlButton[i], RingtoneSession::transportCommand(i));
        imgCtrlButton[i]->installEventFilter(this);
    }
    // A menu title is live while any command can run, which is when Help can.
    for (SkinImage *title : imgMenu)
        followCommand(title, Command::Help);
    followCommand(imgOpen, Command::Open);
    followCommand(imgFeedback, Command::Feedback);
    followCommand(fraFades, Command::Fades);
    // The strip's presses are seeks and its drags edits; both follow one rule.
    followCommand(picOpened, Command::Seek);
    const CommandTable &commands = m_session->commands();
    timeLabels->setEditable(commands.isEnabled(Command::EditSelection));
    connect(&commands, &CommandTable::enabledChanged, this, [this](Command command, bool on) {
        if (command == Command::EditSelection)
            timeLabels->setEditable(on);
        enableMenuEntries();
    });
}

void frmMain::enableMenuEntries()
{
    if (!m_menu)
        return;
    const CommandTable &commands = m_session->commands();
    const std::pair<QAction *, Command> entries[] = {
        {m_menu->menuOpen, Command::Open},         {m_menu->menuSave, Command::Save},
        {m_menu->menuExit, Command::Exit},         {m_menu->menuRRC, Command::RandomCut},
        {m_menu->menuBestPart, Command::BestPart},
        {m_menu->menuSR, Command::TellAFriend},    {m_menu->menuSettings, Command::Settings},
        {m_menu->menuA, Command::About},           {m_menu->menuHelp, Command::Help},
    };
    for (const auto &[action, command] : entries) {
        if (action)
            action->setEnabled(commands.isEnabled(command));
    }
}

void frmMain::showPeaks(const QList<Peak> &peaks)
{
    // The real waveform goes on the bare strip, also while a decode fills it
    // in; the decorative one stays for when there is none.
    const bool real = !peaks.isEmpty() || editor().isGrowing();
    const char *name = real ? Art::Name::StripBlank : Art::Name::Strip;
    const QPixmap strip = Art::pixmap(QString::fromLatin1(name));
    if (!strip.isNull()) {
        StripArt art = picOpened->art();
        art.strip = strip;
        picOpened->setArt(art);
    }
    picOpened->setPeaks(peaks);
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
    // A hint wins while the mouse is on something; else the last export's line.
    setElidedText(lblText, m_rules.hint().isEmpty() ? m_savedText : m_rules.hint());
}

void frmMain::setElidedText(QLabel *label, const QString &text)
{
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && !widget->isEnabled()) {
            for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
                if (widget == imgButton[i])
                    m_session->trigger(RingtoneSession::toolbarCommand(ToolbarCommand(i)));
            }
            for (int i = 0; i < HoverRules::CtrlCount; ++i) {
                if (widget == imgCtrlButton[i])
                    m_session->trigger(RingtoneSession::transportCommand(i));
            }
            return true;
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void frmMain::bareMouseMove(QMouseEvent *)
{
    m_rules.moveOverBare();
    showLooks();
}

void frmMain::imgButton_Click(int index)
{
    if (HoverRules::isToolbarIndex(index))
        m_session->runCommand(ToolbarCommand(index));
}

void frmMain::imgCtrlButton_Click(int index)
{
    m_session->transport(index);
}

void frmMain::imgMenu_Click(int index)
{
    popupMenu(index);
}

void frmMain::imgFeedback_Click()
{
    m_session->trigger(Command::Feedback);
}

void frmMain::popupMenu(int index)
{
    if (index < 0 || index >= HoverRules::MenuCount)
        return;
    if (!m_menu)
        m_menu = new frmMenu([this](const QString &word) { writeCommandWord(word); }, this);
    enableMenuEntries();
    if (!m_menu->menuOpen->text().contains(QLatin1Char('\t'))) {
        // The keys beside the entries, as a menu shows them.
        const std::pair<QAction *, Command> keyed[] = {
            {m_menu->menuOpen, Command::Open}, {m_menu->menuSave, Command::Save}, {m_menu->menuHelp, Command::Help}};
        for (const auto &[entry, command] : keyed)
            entry->setText(entry->text() + QLatin1Char('\t') + shortcutOf(command).toString(QKeySequence::NativeText));
    }
    SkinImage *title = imgMenu[size_t(index)];
    m_menu->popup(index, title->mapToGlobal(QPoint(0, title->height())));
}

void frmMain::writeCommandWord(const QString &word)
{
    if (txtAction->text() == word)
        m_session->dispatchWord(word);
    else
        txtAction->setText(word);
}

void frmMain::showAbout()
{
    UserPrompt::Message message;
    message.text = ShellLinks::aboutText();
    message.title = tr("关于");
    message.icon = UserPrompt::Icon::NoIcon;
    message.buttons = UserPrompt::Buttons::Ok;
    m_environment.prompt->show(message);
}

void frmMain::exitProgram()
{
    // The word may come from one of the menu holder's own entries: it goes
    // once that entry's handling is over.
    if (m_menu) {
        m_menu->deleteLater();
        m_menu = nullptr;
    }
    close();
}

void frmMain::showSettings()
{
    if (!m_setting) {
        m_setting = new frmSetting(m_session->settings(), m_scale, this);
        m_setting->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_setting, &frmSetting::accepted, m_session.get(),
                &RingtoneSession::applySettings);
        m_setting->move(geometry().center() - m_setting->rect().center());
    }
    m_setting->show();
    m_setting->raise();
    m_setting->activateWindow();
}

bool frmMain::confirmExit()
{
    UserPrompt::Message message;
    message.text = tr("真的要退出?");
    message.title = tr("退出");
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
    if (m_ended) {
        // Ended meanwhile, from outside.
        event->accept();
        return;
    }
    if (!ok) {
        event->ignore();
        return;
    }
    shutdown();
    event->accept();
}

void frmMain::endNow()
{
    if (!m_ended)
        shutdown();
}

void frmMain::shutdown()
{
    m_ended = true;
    if (m_setting)
        m_setting->close();
    m_session->shutDown();
    // Later, not now: the exit may come from one of the menu's own entries.
    if (m_menu)
        m_menu->deleteLater();
    m_environment.endProgram();
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void frmMain::dragMoveEvent(QDragMoveEvent *event)
{
    // A file is welcome while Open is.
    if (m_session->commands().isEnabled(Command::Open) && !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QByteArray path = droppedFile(event->mimeData());
    if (path.isEmpty() || !m_session->commands().isEnabled(Command::Open))
        return;
    event->acceptProposedAction();
    // The decode runs its own event loop: start it once the drop is over.
    QTimer::singleShot(0, m_session.get(), [this, path] { m_session->openPath(path); });
}
