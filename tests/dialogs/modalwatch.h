#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Hands the next modal dialog of type T to `act` from inside the event loop
// that runs it, as a user would meet it. `act` must close the dialog (or
// leave it to a later watch). A dialog that never shows leaves seen() false;
// a modal widget still open at the time-out is closed so no test can hang.
template <class T> class ModalWatch
{
public:
    explicit ModalWatch(std::function<void(T *)> act, int timeoutMs = 5000)
        : m_seen(std::make_shared<bool>(false))
    {
        auto *timer = new QTimer(qApp);
        m_timer = timer;
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        auto seen = m_seen;
        QObject::connect(timer, &QTimer::timeout, timer, [=] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<T *>(modal); dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                *seen = true;
                act(dialog);
            } else if (clock->elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
                if (modal)
                    modal->close();
            }
        });
        timer->start(5);
    }

    // A watch that outlives its test must not catch the next test's dialog.
    ~ModalWatch() { delete m_timer.data(); }
    ModalWatch(const ModalWatch &) = delete;
    ModalWatch &operator=(const ModalWatch &) = delete;

    bool seen() const { return *m_seen; }

private:
    std::shared_ptr<bool> m_seen;
    QPointer<QTimer> m_timer;
};
