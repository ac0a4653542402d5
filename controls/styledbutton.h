#pragma once

#include "aboutbox.h"
#include "balloontip.h"
#include "buttonpaint.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

class ButtonPropertyBag;

// An owner-drawn push button with eleven looks (see ButtonStyle), an icon, a
// caption with five placements, custom colours, a toggle mode, hover
// tracking and its own plain or balloon tooltip.
//
// Property names follow the control's stored vocabulary: a reader carries the
// property's name (Style(), Caption()), a writer is set<Name>(). Every writer
// reports the change through propertyChanged() under the property's name,
// except ToolTip ("ToolTipText"), ToolTipTitle ("TooltipTitle") and
// ToolTipIcon ("TooltipIcon"). The stored form's keys are spelled their own
// way again in places (buttonpropertybag.h). Styles are whole numbers to the
// outside, as stored, and ButtonStyle values inside.
//
// Drawing is done by paintButton() (buttonpaint.h); this class holds the
// state and turns Qt's events into state changes.
class StyledButton : public QWidget
{
    Q_OBJECT

public:
    explicit StyledButton(QWidget *parent = nullptr);
    ~StyledButton() override;

    // Keeps QWidget's own setStyle(QStyle *) reachable beside setStyle(int).
    using QWidget::setStyle;

    void About();
    void Refresh();
    static QString Version() { return QStringLiteral("3.0"); }
    // Opens a link (web address, mail link, file) with the desktop's handler.
    bool OpenLink(const QString &sLink);
    // A press from a screen reader: clicks as the left button would.
    void click() { leftClick(); }

    int Style() const { return int(m_Style); }
    void setStyle(int style);
    QString Caption() const { return m_Caption; }
    void setCaption(const QString &caption);
    QIcon Icon() const { return m_Icon; }
    void setIcon(const QIcon &icon);
    // The resource or file the icon was loaded from; empty when set by value.
    QString iconSource() const { return m_iconSource; }
    void setIconFromFile(const QString &path);
    int IconAlign() const { return m_IconAlign; }
    void setIconAlign(int align);
    qint16 IconSize() const { return m_IconSize; }
    void setIconSize(qint16 size);
    int CaptionAlign() const { return m_CaptionAlign; }
    void setCaptionAlign(int align);
    int NonThemeStyle() const { return int(m_NonThemeStyle); }
    void setNonThemeStyle(int style);
    bool Enabled() const;
    void setEnabled(bool enabled);
    bool IconVisible() const;
    void setIconVisible(bool visible);
    bool ShowFocus() const { return m_ShowFocus; }
    void setShowFocus(bool show);
    bool UseCustomColors() const { return m_UseCustomColors; }
    void setUseCustomColors(bool use);
    QColor BackColor() const { return m_BackColor; }
    void setBackColor(const QColor &color);
    QColor HighlightColor() const { return m_HighlightColor; }
    void setHighlightColor(const QColor &color);
    QColor FontColor() const { return m_FontColor; }
    void setFontColor(const QColor &color);
    QColor FontHighlightColor() const { return m_FontHighlightColor; }
    void setFontHighlightColor(const QColor &color);
    QString ToolTip() const { return m_ToolTip; }
    void setToolTip(const QString &text);
    QString ToolTipTitle() const { return m_ToolTipTitle; }
    void setToolTipTitle(const QString &title);
    int ToolTipIcon() const { return m_ToolTipIcon; }
    void setToolTipIcon(int icon);
    int ToolTipType() const { return m_ToolTipType; }
    void setToolTipType(int type);
    QColor ToolTipBackColor() const { return m_ToolTipBackColor; }
    void setToolTipBackColor(const QColor &color);
    QColor ToolTipForeColor() const { return m_ToolTipForeColor; }
    void setToolTipForeColor(const QColor &color);
    QFont Font() const { return font(); }
    void setFont(const QFont &font);
    int ButtonType() const { return m_ButtonType; }
    void setButtonType(int type);
    bool Value() const { return m_Value; }
    void setValue(bool value);

    // Persistence through a property bag (buttonpropertybag.h).
    void readProperties(const ButtonPropertyBag &bag);
    void writeProperties(ButtonPropertyBag &bag) const;
    // Reads a bag file (a resource path such as ":/forms/ok.json" or a file)
    // into this button; false with a message in error when it is refused.
    bool loadProperties(const QString &path, QString *error = nullptr);

    VisualState visualState() const { return m_VisualState; }
    bool isMouseInside() const { return m_MouseInside; }
    int captionFormat() const { return m_CaptionFormat; }
    QRect textRect() const { return m_TextRect; }
    // The tooltip window shown for the current entry, if any (balloon or a
    // coloured rectangle); plain tips go through QToolTip.
    BalloonTip *tooltipWindow() const { return m_tipWindow; }

    // Test seam: makes the themed look (Style 6) fail to draw.
    void setThemeFailureForced(bool failing) { m_themeFailureForced = failing; }

    QSize sizeHint() const override { return {76, 24}; }

    // Tahoma and Verdana are rare on Linux desktops: fall back to fonts of
    // the same size that exist, keeping the stored family name.
    static QFont fontWithFallbacks(QFont font);

signals:
    void Click();
    void MouseEnter();
    void MouseLeave();
    // A property was changed, named as it is stored.
    void propertyChanged(const QString &name);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layoutButton();
    void changed(const QString &name, bool relayout);
    void leftDown();
    void buttonUp(Qt::MouseButton button);
    void leftClick();
    void pointerEntered();
    void buildTooltip();
    void showTooltip(const QPoint &globalPos);
    ButtonPaintInput paintInput() const;

    ButtonStyle m_Style = ButtonStyle::Classic;
    QString m_Caption;
    QIcon m_Icon;
    QString m_iconSource;
    int m_IconAlign = 0;
    qint16 m_IconSize = 16;
    int m_CaptionAlign = 0;
    ButtonStyle m_NonThemeStyle = ButtonStyle::Classic;
    bool m_Enabled = true;
    bool m_IconVisible = true;
    bool m_ShowFocus = false;
    bool m_UseCustomColors = false;
    QColor m_BackColor;
    QColor m_HighlightColor;
    QColor m_FontColor;
    QColor m_FontHighlightColor;
    QString m_ToolTip;
    QString m_ToolTipTitle;
    int m_ToolTipIcon = 0;
    int m_ToolTipType = 0;
    QColor m_ToolTipBackColor;
    QColor m_ToolTipForeColor;
    int m_ButtonType = 0;
    bool m_Value = false;

    VisualState m_VisualState = VisualState::Normal;
    bool m_HasFocus = false;
    bool m_MouseInside = false;
    QRect m_ClientRect;
    QRect m_TextRect;
    int m_CaptionFormat = CaptionFlag::Center | CaptionFlag::WordBreak;
    Qt::MouseButton m_LastUpButton = Qt::NoButton;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    bool m_afterDoubleClick = false;
    QColor m_background;
    bool m_themeFailureForced = false;

    // The tooltip as it was at the last entry; changes show at the next one.
    struct TipSnapshot {
        QString text, title;
        int icon = 0;
        bool balloon = false;
        QColor fore, back;
    } m_tip;
    QPointer<BalloonTip> m_tipWindow;
    QPointer<AboutBox> m_about;
};
