#include "progresspanel.h"

#include "accessibility.h"
#include "looks.h"
#include "skinart.h"

#include <QPushButton>

#include <algorithm>

ProgressPanel::ProgressPanel(const Design &design, const ScreenScale &scale, QWidget *parent)
    : QLabel(parent), m_scale(scale)
{
    using SkinArt::Kind;
    const auto place = [this](QWidget *control, const Spot &spot) {
        control->setGeometry(m_scale.pixels(spot.left, spot.top, spot.width, spot.height));
    };
    setObjectName(QString::fromLatin1(design.name));
    place(this, design.panel);
    setPixmap(SkinArt::picture(QString::fromLatin1(design.art), size(), Kind::Plain));
    setScaledContents(true);
    if (design.whiteBack) {
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
    }
    hide();

    m_bar = new QLabel(this);
    m_bar->setObjectName(QString::fromLatin1(design.barName));
    place(m_bar, design.bar);
    m_bar->setPixmap(SkinArt::picture(QString::fromLatin1(design.barArt),
                                      QSize(m_scale.pixelsX(design.barArtTwips), m_bar->height()),
                                      Kind::Plain));
    m_bar->setScaledContents(true);

    m_text = new QLabel(QStringLiteral("0%"), this);
    m_text->setObjectName(QString::fromLatin1(design.textName));
    place(m_text, design.text);
    m_text->setAlignment(Qt::AlignCenter);
    Looks::setTextColor(m_text, Looks::TextColor);
    QFont font = m_text->font();
    font.setPixelSize(std::max(8, m_text->height() - 2));
    m_text->setFont(font);

    // Beside the panel, not on it: the bars use the panels' whole width.
    m_cancel = new QPushButton(tr("取消"), parentWidget());
    m_cancel->setObjectName(QString::fromLatin1(design.cancelName));
    place(m_cancel, design.cancel);
    m_cancel->setFocusPolicy(Qt::NoFocus);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &ProgressPanel::cancelClicked);
}

void ProgressPanel::setProgress(int widthTwips, const QString &text)
{
    m_bar->resize(m_scale.pixelsX(widthTwips), m_bar->height());
    m_text->setText(text);
    Accessibility::valueChanged(this);
}

void ProgressPanel::setShown(bool shown)
{
    setVisible(shown);
    m_cancel->setVisible(shown);
    if (shown) {
        raise();
        m_cancel->raise();
    }
}
