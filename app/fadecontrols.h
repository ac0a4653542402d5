#pragma once

#include "codercommand.h"

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;

// The export's fades and level on the main window's toolbar band: fade-in
// and fade-out in seconds (0 to 10, to the hundredth) and "标准化", which
// brings the stretch's peak to -1 dBFS. Small, flat, in the skin's text
// colour; the window scales its font and place like every other control.
class FadeControls : public QWidget
{
    Q_OBJECT
public:
    FadeControls(double fontPoints, QWidget *parent = nullptr);

    FadeLevel fades() const;
    // Shows the values without reporting them back.
    void setFades(const FadeLevel &fades);

    QDoubleSpinBox *txtFadeIn = nullptr;
    QDoubleSpinBox *txtFadeOut = nullptr;
    QCheckBox *chkNormalise = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void fadesEdited(const FadeLevel &fades);

private:
    QLabel *m_lblFadeIn = nullptr;
    QLabel *m_lblFadeOut = nullptr;
    bool m_showing = false;
};
