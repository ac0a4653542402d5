#pragma once

#include "screenscale.h"

#include <QLabel>

class QPushButton;

// A progress panel of the main window: its picture, a bar that grows from the
// left and a percentage text. The decode panel and the export panel are two
// of these.
class ProgressPanel : public QLabel
{
    Q_OBJECT
public:
    struct Design {
        const char *name;     // the panel's object name
        const char *barName;  // the bar's
        const char *textName; // the percentage label's
        const char *art;      // the panel's picture
        const char *barArt;   // the bar's picture
        Spot panel;           // on the window, design twips
        Spot bar;             // on the panel
        Spot text;            // on the panel
        int barArtTwips;      // the bar picture's full width
        bool whiteBack;       // the panel is filled white beneath its picture
        const char *cancelName; // its Cancel button's, on the window beside it
        Spot cancel;            // on the window
    };

    ProgressPanel(const Design &design, const ScreenScale &scale, QWidget *parent);

    QLabel *bar() const { return m_bar; }
    QLabel *text() const { return m_text; }
    QPushButton *cancelButton() const { return m_cancel; }

    void setProgress(int widthTwips, const QString &text);
    // Shown, the panel lies over whatever shares its place.
    void setShown(bool shown);

signals:
    void cancelClicked();

private:
    ScreenScale m_scale;
    QLabel *m_bar = nullptr;
    QLabel *m_text = nullptr;
    QPushButton *m_cancel = nullptr;
};
