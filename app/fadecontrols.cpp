#include "fadecontrols.h"

#include "looks.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

#include <cmath>

namespace {

QDoubleSpinBox *secondsBox(const QString &name, const QString &tip, const QFont &font, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    box->setAccessibleName(tip);
    box->setFont(font);
    box->setRange(0.0, FadeLevel::MaxFadeMs / 1000.0);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(" s"));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setKeyboardTracking(false);
    box->setFrame(false);
    // As wide as its longest value, so the captions keep their words in
    // every language.
    box->setFixedWidth(QFontMetrics(font).horizontalAdvance(QStringLiteral("10.00 s")) + 4);
    // Taken by a click or Tab, and given back when the value is in: the
    // window's keys (Space, the arrows) belong to the song otherwise.
    box->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(box, &QAbstractSpinBox::editingFinished, box, [box] { box->clearFocus(); });
    Looks::setTextColor(box, Looks::TextColor);
    return box;
}

QLabel *caption(const QString &text, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    Looks::setTextColor(label, Looks::TextColor);
    return label;
}

} // namespace

FadeControls::FadeControls(double fontPoints, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraFades"));
    const QFont font = Looks::tahoma(fontPoints);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    m_lblFadeIn = caption(tr("淡入"), font, this);
    txtFadeIn = secondsBox(QStringLiteral("txtFadeIn"), tr("铃声开头淡入的秒数"), font, this);
    m_lblFadeOut = caption(tr("淡出"), font, this);
    txtFadeOut = secondsBox(QStringLiteral("txtFadeOut"), tr("铃声结尾淡出的秒数"), font, this);
    chkNormalise = new QCheckBox(tr("标准化"), this);
    chkNormalise->setObjectName(QStringLiteral("chkNormalise"));
    chkNormalise->setToolTip(tr("把铃声的峰值调到 -1 dBFS"));
    chkNormalise->setAccessibleName(chkNormalise->toolTip());
    chkNormalise->setFont(font);
    chkNormalise->installEventFilter(this);
    Looks::setTextColor(chkNormalise, Looks::TextColor);
    m_lblFadeIn->setBuddy(txtFadeIn);
    m_lblFadeOut->setBuddy(txtFadeOut);
    row->addWidget(m_lblFadeIn);
    row->addWidget(txtFadeIn);
    row->addSpacing(4);
    row->addWidget(m_lblFadeOut);
    row->addWidget(txtFadeOut);
    row->addSpacing(4);
    row->addWidget(chkNormalise);
    row->addStretch(1);

    const auto report = [this] {
        if (!m_showing)
            emit fadesEdited(fades());
    };
    connect(txtFadeIn, &QDoubleSpinBox::valueChanged, this, report);
    connect(txtFadeOut, &QDoubleSpinBox::valueChanged, this, report);
    connect(chkNormalise, &QCheckBox::toggled, this, report);
}

bool FadeControls::eventFilter(QObject *watched, QEvent *event)
{
    // Space ticks the focused box rather than playing the song.
    if (watched == chkNormalise && event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

FadeLevel FadeControls::fades() const
{
    return {static_cast<qint32>(std::lround(txtFadeIn->value() * 1000.0)),
            static_cast<qint32>(std::lround(txtFadeOut->value() * 1000.0)), chkNormalise->isChecked()};
}

void FadeControls::setFades(const FadeLevel &fades)
{
    m_showing = true;
    txtFadeIn->setValue(fades.fadeInMs / 1000.0);
    txtFadeOut->setValue(fades.fadeOutMs / 1000.0);
    chkNormalise->setChecked(fades.normalise);
    m_showing = false;
}
