#pragma once

#include "skinnedwindow.h"

#include <functional>

class QLabel;
class QTimer;

// The start-up window: three loading texts a tick apart, then the main
// window. The tick interval is a parameter so tests need not wait seconds;
// with an interval of 0 or less no timer runs and the owner calls
// Timer1_Timer() itself.
class frmSplash : public SkinnedWindow
{
    Q_OBJECT
public:
    using MainWindowFactory = std::function<QWidget *()>;

    explicit frmSplash(MainWindowFactory createMain, int tickMs = 1000,
                       QWidget *parent = nullptr);

    int LoadStep() const { return m_loadStep; }
    QString loadingText() const;

signals:
    // The main window has been shown; the splash is going away.
    void handedOver(QWidget *mainWindow);

public:
    void Timer1_Timer();

private:
    MainWindowFactory m_createMain;
    int m_loadStep = 0;
    QLabel *Label1 = nullptr;
    QTimer *Timer1 = nullptr;
};
