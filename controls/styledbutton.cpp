#include "styledbutton.h"

#include "aboutbox.h"
#include "balloontip.h"
#include "buttoncolors.h"
#include "buttonpropertybag.h"
#include "looks.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QUrl>

namespace
{
// The smallest button: 300 twips, 20 pixels at 15 twips per pixel.
constexpr int MinimumEdge = 20;
} // namespace

StyledButton::StyledButton(QWidget *parent) : QWidget(parent)
{
    const QPalette palette = QApplication::palette();
    m_Caption = QStringLiteral("StyledButton");
    m_BackColor = systemColor(palette, SystemColor::ButtonFace);
    m_HighlightColor = systemColor(palette, SystemColor::Highlight);
    m_FontColor = systemColor(palette, SystemColor::ButtonText);
    m_FontHighlightColor = systemColor(palette, SystemColor::ButtonText);
    m_ToolTipBackColor = QColor(0, 0, 0);
    m_ToolTipForeColor = QColor(0, 0, 0);
    m_background = m_BackColor;
    QFont design(QStringLiteral("Verdana"));
    design.setPointSizeF(8.25);
    QWidget::setFont(fontWithFallbacks(design));

    setMinimumSize(MinimumEdge, MinimumEdge);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

StyledButton::~StyledButton() = default;

QFont StyledButton::fontWithFallbacks(QFont font)
{
    const QString family = font.family();
    if (family.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0) {
        font.setFamilies(Looks::fallbacksFor(family));
    }
    return font;
}

void StyledButton::About()
{
    if (!m_about)
        m_about = new AboutBox(this);
    m_about->showBox();
}

void StyledButton::Refresh()
{
    repaint();
}

bool StyledButton::OpenLink(const QString &sLink)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(sLink));
}

void StyledButton::changed(const QString &name, bool relayout)
{
    emit propertyChanged(name);
    if (relayout)
        layoutButton();
    else
        update();
}

void StyledButton::setStyle(int style)
{
    m_Style = ButtonStyle(style);
    changed(QStringLiteral("Style"), true);
}

void StyledButton::setCaption(const QString &caption)
{
    m_Caption = caption;
    changed(QStringLiteral("Caption"), true);
}

void StyledButton::setIcon(const QIcon &icon)
{
    m_Icon = icon;
    m_iconSource.clear();
    changed(QStringLiteral("Icon"), true);
}

void StyledButton::setIconFromFile(const QString &path)
{
    m_Icon = QIcon(path);
    m_iconSource = path;
    changed(QStringLiteral("Icon"), true);
}

void StyledButton::setIconAlign(int align)
{
    m_IconAlign = align;
    changed(QStringLiteral("IconAlign"), true);
}

void StyledButton::setIconSize(qint16 size)
{
    m_IconSize = size;
    changed(QStringLiteral("IconSize"), true);
}

void StyledButton::setCaptionAlign(int align)
{
    m_CaptionAlign = align;
    changed(QStringLiteral("CaptionAlign"), true);
}

void StyledButton::setNonThemeStyle(int style)
{
    m_NonThemeStyle = ButtonStyle(style);
    changed(QStringLiteral("NonThemeStyle"), true);
}

bool StyledButton::Enabled() const
{
    return m_Enabled;
}

void StyledButton::setEnabled(bool enabled)
{
    m_VisualState = VisualState::Normal;
    m_Enabled = enabled;
    update();
    emit propertyChanged(QStringLiteral("Enabled"));
    QWidget::setEnabled(enabled);
}

bool StyledButton::IconVisible() const
{
    return m_IconVisible;
}

void StyledButton::setIconVisible(bool visible)
{
    m_IconVisible = visible;
    update();
    emit propertyChanged(QStringLiteral("IconVisible"));
}

void StyledButton::setShowFocus(bool show)
{
    m_ShowFocus = show;
    changed(QStringLiteral("ShowFocus"), false);
}

void StyledButton::setUseCustomColors(bool use)
{
    m_UseCustomColors = use;
    changed(QStringLiteral("UseCustomColors"), false);
}

void StyledButton::setBackColor(const QColor &color)
{
    m_BackColor = color;
    changed(QStringLiteral("BackColor"), false);
}

void StyledButton::setHighlightColor(const QColor &color)
{
    m_HighlightColor = color;
    changed(QStringLiteral("HighlightColor"), false);
}

void StyledButton::setFontColor(const QColor &color)
{
    m_FontColor = color;
    changed(QStringLiteral("FontColor"), false);
}

void StyledButton::setFontHighlightColor(const QColor &color)
{
    m_FontHighlightColor = color;
    changed(QStringLiteral("FontHighlightColor"), false);
}

void StyledButton::setToolTip(const QString &text)
{
    m_ToolTip = text;
    changed(QStringLiteral("ToolTipText"), false);
}

void StyledButton::setToolTipTitle(const QString &title)
{
    m_ToolTipTitle = title;
    changed(QStringLiteral("TooltipTitle"), false);
}

void StyledButton::setToolTipIcon(int icon)
{
    m_ToolTipIcon = icon;
    changed(QStringLiteral("TooltipIcon"), false);
}

void StyledButton::setToolTipType(int type)
{
    m_ToolTipType = type;
    changed(QStringLiteral("ToolTipType"), false);
}

void StyledButton::setToolTipBackColor(const QColor &color)
{
    m_ToolTipBackColor = color;
    changed(QStringLiteral("ToolTipBackColor"), false);
}

void StyledButton::setToolTipForeColor(const QColor &color)
{
    m_ToolTipForeColor = color;
    changed(QStringLiteral("ToolTipForeColor"), false);
}

void StyledButton::setFont(const QFont &font)
{
    QWidget::setFont(fontWithFallbacks(font));
    update();
    emit propertyChanged(QStringLiteral("Font"));
}

void StyledButton::setButtonType(int type)
{
    m_ButtonType = type;
    changed(QStringLiteral("ButtonType"), false);
}

void StyledButton::setValue(bool value)
{
    m_Value = value;
    // A toggle button let go from code must not stay drawn pressed: the
    // paint only ever forces Pressed, so step back here.
    if (!value && m_ButtonType == 1 && m_VisualState == VisualState::Pressed &&
        m_pressedButton == Qt::NoButton)
        m_VisualState = m_MouseInside ? VisualState::Hot : VisualState::Normal;
    changed(QStringLiteral("Value"), false);
}

bool StyledButton::loadProperties(const QString &path, QString *error)
{
    const auto bag = ButtonPropertyBag::readFile(path, error);
    if (!bag)
        return false;
    readProperties(*bag);
    return true;
}

void StyledButton::layoutButton()
{
    if (width() < MinimumEdge || height() < MinimumEdge)
        resize(std::max(width(), MinimumEdge), std::max(height(), MinimumEdge));
    m_ClientRect = QRect(0, 0, width(), height());
    m_TextRect = textRectFor(size());
    m_CaptionFormat = captionFormatFor(m_CaptionAlign, m_CaptionFormat);
    setMask(buttonRegion(m_Style, size()));
    update();
}

ButtonPaintInput StyledButton::paintInput() const
{
    ButtonPaintInput in;
    in.size = size();
    in.style = m_Style;
    in.nonThemeStyle = m_NonThemeStyle;
    in.state = m_VisualState;
    in.hasFocus = m_HasFocus;
    in.showFocus = m_ShowFocus;
    in.buttonType = m_ButtonType;
    in.value = m_Value;
    in.enabled = m_Enabled && isEnabled();
    in.useCustomColors = m_UseCustomColors;
    in.backColor = m_BackColor;
    in.highlightColor = m_HighlightColor;
    in.fontColor = m_FontColor;
    in.fontHighlightColor = m_FontHighlightColor;
    in.background = m_background;
    in.caption = m_Caption;
    in.captionFormat = m_CaptionFormat;
    in.font = font();
    in.icon = m_Icon;
    in.iconVisible = m_IconVisible;
    in.iconSize = m_IconSize;
    in.iconAlign = m_IconAlign;
    in.palette = palette();
    in.theme = m_themeFailureForced ? nullptr : style();
    in.themeWidget = this;
    return in;
}

void StyledButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const ButtonPaintResult result = paintButton(p, paintInput());
    m_VisualState = result.state;
    m_background = result.background;
    if (result.themeFailed)
        m_Style = m_NonThemeStyle;
}

void StyledButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButton();
}

void StyledButton::leftDown()
{
    m_VisualState = VisualState::Pressed;
    update();
}

void StyledButton::buttonUp(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) {
        m_VisualState = (m_ButtonType != 1 || m_Value) ? VisualState::Hot : VisualState::Pressed;
        update();
    }
    m_LastUpButton = button;
}

void StyledButton::leftClick()
{
    if (m_ButtonType == 1) {
        m_Value = !m_Value;
        m_VisualState = VisualState::Hot;
        update();
    }
    emit Click();
}

void StyledButton::mousePressEvent(QMouseEvent *event)
{
    m_pressedButton = event->button();
    m_afterDoubleClick = false;
    if (event->button() == Qt::LeftButton)
        leftDown();
    event->accept();
}

void StyledButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click shows Pressed but clicks no more.
    m_pressedButton = event->button();
    m_afterDoubleClick = true;
    if (event->button() == Qt::LeftButton)
        leftDown();
    event->accept();
}

void StyledButton::mouseReleaseEvent(QMouseEvent *event)
{
    const Qt::MouseButton button = event->button();
    const bool clicked = button == m_pressedButton && !m_afterDoubleClick &&
                         rect().contains(event->position().toPoint());
    m_pressedButton = Qt::NoButton;
    m_afterDoubleClick = false;
    buttonUp(button);
    if (clicked && m_LastUpButton == Qt::LeftButton)
        leftClick();
    event->accept();
}

void StyledButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_MouseInside && rect().contains(event->position().toPoint()))
        pointerEntered();
    event->accept();
}

void StyledButton::pointerEntered()
{
    m_MouseInside = true;
    m_VisualState = VisualState::Hot;
    update();
    emit MouseEnter();
    buildTooltip();
}

void StyledButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (!m_MouseInside)
        return;
    m_MouseInside = false;
    m_VisualState = VisualState::Normal;
    if (m_tipWindow)
        m_tipWindow->hide();
    update();
    emit MouseLeave();
}

void StyledButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    // The first press both pushes and clicks, as a key down followed by its
    // character would; held-key repeats do nothing.
    if (!event->isAutoRepeat()) {
        leftDown();
        leftClick();
    }
    event->accept();
}

void StyledButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    // The release only settles the look, as a left button's release does: a
    // toggle the press has just switched off is left drawn pressed.
    if (!event->isAutoRepeat())
        buttonUp(Qt::LeftButton);
    event->accept();
}

void StyledButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_HasFocus = true;
    update();
}

void StyledButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_HasFocus = false;
    update();
}

void StyledButton::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only the button's own tooltip window should show: take over the text
    // the container gave the widget.
    const QString containerTip = QWidget::toolTip();
    if (!containerTip.isEmpty()) {
        m_ToolTip = containerTip;
        QWidget::setToolTip(QString());
    }
    update();
}

void StyledButton::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!m_ToolTip.isEmpty())
        QWidget::setToolTip(m_ToolTip);
    if (m_tipWindow)
        m_tipWindow->hide();
}

void StyledButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::ApplicationPaletteChange:
        update();
        break;
    default:
        break;
    }
}

bool StyledButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        showTooltip(static_cast<QHelpEvent *>(event)->globalPos());
        return true;
    }
    return QWidget::event(event);
}

void StyledButton::buildTooltip()
{
    m_tip.text = m_ToolTip;
    m_tip.title = m_ToolTipTitle;
    m_tip.icon = m_ToolTipIcon;
    m_tip.balloon = m_ToolTipType == 1;
    // Black stands for "the tooltip's own colour".
    const QColor black(0, 0, 0);
    m_tip.fore = m_ToolTipForeColor != black ? m_ToolTipForeColor : QColor();
    m_tip.back = m_ToolTipBackColor != black ? m_ToolTipBackColor : QColor();

    delete m_tipWindow;
    const bool ownWindow = m_tip.balloon || !m_tip.title.isEmpty() || m_tip.icon != 0 ||
                           m_tip.fore.isValid() || m_tip.back.isValid();
    if (!ownWindow)
        return;
    m_tipWindow = new BalloonTip(this);
    m_tipWindow->setBalloon(m_tip.balloon);
    m_tipWindow->setContent(m_tip.title, m_tip.icon, m_tip.text);
    m_tipWindow->setColors(m_tip.fore, m_tip.back);
}

void StyledButton::showTooltip(const QPoint &globalPos)
{
    if (!m_MouseInside || (m_tip.text.isEmpty() && m_tip.title.isEmpty()))
        return;
    if (m_tipWindow) {
        m_tipWindow->showAt(globalPos);
        return;
    }
    QToolTip::showText(globalPos, m_tip.text, this, rect());
}

void StyledButton::readProperties(const ButtonPropertyBag &bag)
{
    bag.applyTo(*this);
    m_VisualState = VisualState::Normal;
    m_MouseInside = false;
    layoutButton();
}

void StyledButton::writeProperties(ButtonPropertyBag &bag) const
{
    bag.takeFrom(*this);
}
