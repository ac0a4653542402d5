#include "frmsplash.h"

#include "opentrace.h"
#include "screenscale.h"
#include "skinart.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

frmSplash::frmSplash(MainWindowFactory createMain, int tickMs, QWidget *parent)
    : SkinnedWindow(parent, Qt::WindowStaysOnTopHint | Qt::SplashScreen),
      m_createMain(std::move(createMain))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString skinName = QStringLiteral("splash");
    setSkin(SkinArt::picture(skinName, QSize(400, 220), SkinArt::Kind::Skin),
            SkinArt::shapeImage(skinName, QSize(400, 220)));

    const ScreenScale scale = ScreenScale::fromDpi(logicalDpiX(), logicalDpiY());
    Label1 = new QLabel(tr("Loading..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(palette);
    QFont font = Label1->font();
    font.setPointSizeF(scale.fontPoints(9));
    Label1->setFont(font);
    const QRect place = scale.pixels(3240, 1410, 810, 210);
    // The longest text is wider than the designed label; keep its spot and
    // let it grow to the right rather than cut the text.
    const int wide = Label1->fontMetrics().horizontalAdvance(tr("加载组件中...")) + 4;
    Label1->setGeometry(place.x(), place.y(), qMax(place.width(), wide),
                        qMax(place.height(), Label1->fontMetrics().height()));

    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1 = new QTimer(this);
    Timer1->setInterval(tickMs);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    if (tickMs > 0)
        Timer1->start();
}

QString frmSplash::loadingText() const
{
    return Label1->text();
}

void frmSplash::Timer1_Timer()
{
    if (m_loadStep >= 3)
        return; // already handed over
    ++m_loadStep;
    if (m_loadStep == 1) {
        Label1->setText(tr("加载图形..."));
    } else if (m_loadStep == 2) {
        Label1->setText(tr("加载组件中..."));
    } else {
        Timer1->stop();
        hide();
        QCoreApplication::processEvents();
        QWidget *main = m_createMain ? m_createMain() : nullptr;
        if (main) {
            main->show();
            OpenTrace::mark("window");
        }
        emit handedOver(main);
        close();
    }
}
