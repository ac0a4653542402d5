#include "mainworkflow.h"

#include "ccommondialogs.h"
#include "desktopopener.h"
#include "editorstate.h"
#include "frmmenu.h"
#include "screenscale.h"
#include "shelllinks.h"
#include "skinart.h"
#include "userprompt.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

namespace {
// Design twips on the main window.
constexpr Spot PBBackSpot{1990, 6000, 6935, 555};
constexpr Spot PBSpot{1350, 195, 15, 195};
constexpr Spot PBTextSpot{2865, 195, 2355, 195};
constexpr Spot ProSpot{4650, 8070, 4215, 225};
constexpr Spot ProBarSpot{0, 0, 15, 225};
// The status strip's file-name area; the export panel covers it while it runs.
constexpr Spot FileNameSpot{4650, 8070, 4800, 210};

constexpr QRgb DimTextColor = 0xFF476371; // RGB(71, 99, 113)
constexpr QRgb BarTextColor = 0xFF0B4D6D; // RGB(11, 77, 109)

QString droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    }
    return QString();
}
} // namespace

MainWorkflow::MainWorkflow(Parts parts, QObject *parent)
    : QObject(parent), m_parts(std::move(parts))
{
    m_files = std::make_unique<DialogsFileRequester>(*m_parts.dialogs);
    m_open = std::make_unique<OpenController>(*this, *m_parts.state, *m_parts.objDOS, *m_files,
                                              *m_parts.prompt, m_parts.appFolder,
                                              m_parts.workFile);
    m_export = std::make_unique<ExportController>(
        *this, *m_parts.state, *m_parts.objDOS1, *m_files, *m_parts.prompt, *m_parts.sound,
        *m_parts.desktop, m_parts.appFolder, m_parts.workFile);
    m_export->setSetupPath(m_parts.setupPath);
    createControls();
    m_parts.window->setAcceptDrops(true);
    m_parts.window->installEventFilter(this);
}

MainWorkflow::~MainWorkflow()
{
    delete m_menu;
}

void MainWorkflow::createControls()
{
    QWidget *window = m_parts.window;
    using SkinArt::Kind;

    auto *panel = new QLabel(window);
    panel->setObjectName(QStringLiteral("picPBBack"));
    place(panel, PBBackSpot.left, PBBackSpot.top, PBBackSpot.width, PBBackSpot.height);
    panel->setPixmap(SkinArt::picture(QStringLiteral("decode-panel"), panel->size(), Kind::Plain));
    panel->setScaledContents(true);
    panel->hide();
    picPBBack = panel;

    imgPB = new QLabel(panel);
    imgPB->setObjectName(QStringLiteral("imgPB"));
    place(imgPB, PBSpot.left, PBSpot.top, PBSpot.width, PBSpot.height);
    imgPB->setPixmap(SkinArt::picture(QStringLiteral("decode-bar"),
                                      QSize(pixelsX(5415), imgPB->height()), Kind::Plain));
    imgPB->setScaledContents(true);

    lblPB = new QLabel(QStringLiteral("0%"), panel);
    lblPB->setObjectName(QStringLiteral("lblPB"));
    place(lblPB, PBTextSpot.left, PBTextSpot.top, PBTextSpot.width, PBTextSpot.height);
    lblPB->setAlignment(Qt::AlignCenter);

    auto *pro = new QLabel(window);
    pro->setObjectName(QStringLiteral("picPro"));
    place(pro, ProSpot.left, ProSpot.top, ProSpot.width, ProSpot.height);
    pro->setPixmap(SkinArt::picture(QStringLiteral("export-panel"), pro->size(), Kind::Plain));
    pro->setScaledContents(true);
    pro->setAutoFillBackground(true);
    QPalette white = pro->palette();
    white.setColor(QPalette::Window, Qt::white);
    pro->setPalette(white);
    pro->hide();
    picPro = pro;

    imgPro = new QLabel(pro);
    imgPro->setObjectName(QStringLiteral("imgPro"));
    place(imgPro, ProBarSpot.left, ProBarSpot.top, ProBarSpot.width, ProBarSpot.height);
    imgPro->setPixmap(SkinArt::picture(QStringLiteral("export-bar"), pro->size(), Kind::Plain));
    imgPro->setScaledContents(true);

    lblPro = new QLabel(QStringLiteral("0%"), pro);
    lblPro->setObjectName(QStringLiteral("lblPro"));
    lblPro->setGeometry(pro->rect());
    lblPro->setAlignment(Qt::AlignCenter);

    for (QLabel *label : {lblPB, lblPro}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(BarTextColor));
        label->setPalette(palette);
        QFont font = label->font();
        font.setPixelSize(std::max(8, label->height() - 2));
        label->setFont(font);
    }

    lblFileName = new QLabel(window);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    place(lblFileName, FileNameSpot.left, FileNameSpot.top, FileNameSpot.width,
          FileNameSpot.height);
    QPalette dim = lblFileName->palette();
    dim.setColor(QPalette::WindowText, QColor::fromRgb(DimTextColor));
    lblFileName->setPalette(dim);
    // The export panel lies over the file name while an export runs.
    pro->raise();

    txtAction = new QLineEdit(QStringLiteral("Text1"), window);
    txtAction->setObjectName(QStringLiteral("txtAction"));
    txtAction->hide();
    connect(txtAction, &QLineEdit::textChanged, this,
            [this](const QString &word) { m_dispatcher.dispatch(word); });
}

void MainWorkflow::place(QWidget *control, int left, int top, int width, int height) const
{
    const ScreenScale scale = m_parts.scale ? *m_parts.scale : ScreenScale();
    control->setGeometry(scale.pixels(left, top, width, height));
}

int MainWorkflow::pixelsX(int twips) const
{
    return m_parts.scale ? m_parts.scale->pixelsX(twips) : ScreenScale().pixelsX(twips);
}

void MainWorkflow::open()
{
    m_open->open();
    m_export->setSourcePath(m_open->sourcePath());
}

void MainWorkflow::openPath(const QString &path)
{
    if (isBusy())
        return;
    m_open->openPath(path);
    m_export->setSourcePath(m_open->sourcePath());
}

void MainWorkflow::save()
{
    m_export->setSourcePath(m_open->sourcePath());
    m_export->save();
}

void MainWorkflow::tellAFriend()
{
    m_parts.desktop->openUrl(ShellLinks::tellAFriendUrl());
}

void MainWorkflow::help()
{
    m_parts.desktop->openUrl(ShellLinks::helpUrl(m_parts.appFolder));
}

void MainWorkflow::feedback()
{
    m_parts.desktop->openUrl(ShellLinks::feedbackUrl());
}

void MainWorkflow::popupMenu(int index)
{
    if (index < 0 || index > 3)
        return;
    if (!m_menu)
        m_menu = new frmMenu([this](const QString &word) { writeCommandWord(word); }, this);
    const QPoint at = m_parts.menuPosition ? m_parts.menuPosition(index) : QPoint();
    m_menu->popup(index, at);
}

void MainWorkflow::writeCommandWord(const QString &word)
{
    if (txtAction->text() == word)
        m_dispatcher.dispatch(word);
    else
        txtAction->setText(word);
}

void MainWorkflow::runToolbarCommand(int index)
{
    if (m_parts.runToolbarCommand)
        m_parts.runToolbarCommand(index);
}

void MainWorkflow::showAbout()
{
    UserPrompt::Message message;
    message.text = ShellLinks::aboutText();
    message.title = QStringLiteral("关于");
    message.icon = UserPrompt::Icon::NoIcon;
    message.buttons = UserPrompt::Buttons::Ok;
    m_parts.prompt->show(message);
}

void MainWorkflow::exitProgram()
{
    // The word may come from one of the menu holder's own entries: it goes
    // once that entry's handling is over.
    if (m_menu) {
        m_menu->deleteLater();
        m_menu = nullptr;
    }
    if (m_parts.closeWindow)
        m_parts.closeWindow();
}

void MainWorkflow::stopPlayback()
{
    if (m_parts.stopPlayback)
        m_parts.stopPlayback();
}

void MainWorkflow::setFileNameText(const QString &text)
{
    lblFileName->setText(text);
}

void MainWorkflow::setDecodePanelVisible(bool visible)
{
    picPBBack->setVisible(visible);
    if (visible)
        picPBBack->raise();
}

void MainWorkflow::setDecodeProgress(int widthTwips, const QString &text)
{
    imgPB->resize(pixelsX(widthTwips), imgPB->height());
    lblPB->setText(text);
}

void MainWorkflow::setStripVisible(bool visible)
{
    if (m_parts.setStripVisible)
        m_parts.setStripVisible(visible);
    if (!visible && m_parts.setPeaks)
        m_parts.setPeaks({});
    m_parts.window->update();
}

void MainWorkflow::resetTimeline()
{
    if (m_parts.resetTimeline)
        m_parts.resetTimeline();
}

void MainWorkflow::decodeSucceeded(const QString &workFile)
{
    if (m_parts.learnLength)
        m_parts.learnLength();
    if (!m_parts.setPeaks)
        return;
    PeakExtractor extractor(workFile);
    m_parts.setPeaks(extractor.open() ? extractor.extract(pixelsX(10920)) : QList<Peak>());
}

void MainWorkflow::setCommandsEnabled(bool enabled)
{
    if (m_parts.setCommandsEnabled)
        m_parts.setCommandsEnabled(enabled);
}

void MainWorkflow::setExportPanelVisible(bool visible)
{
    picPro->setVisible(visible);
    if (visible)
        picPro->raise();
}

void MainWorkflow::setExportProgress(int widthTwips, const QString &text)
{
    imgPro->resize(pixelsX(widthTwips), imgPro->height());
    lblPro->setText(text);
}

bool MainWorkflow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_parts.window)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!isBusy() && !droppedFile(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
        drag->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty() || isBusy())
            return true;
        drop->acceptProposedAction();
        // The decode runs its own event loop: start it once the drop is over.
        QTimer::singleShot(0, this, [this, path] { openPath(path); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}
