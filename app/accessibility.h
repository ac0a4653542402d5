#pragma once

#include "userprompt.h"

#include <QWidget>

#include <functional>

class QLabel;

// What assistive tools (Orca through AT-SPI) see of the program's own
// controls: the skin's image buttons and StyledButton as buttons with a press
// action, the strip as one slider whose value is the play position, the
// progress panels as progress bars, the time cells named by row and column.
namespace Accessibility {

// Registers the interfaces of the custom controls; does nothing the second time.
void install();

// Leaves a widget out of the tree its window shows to assistive tools.
void leaveOut(QWidget *widget);

// Names a time label by its place in the grid; the tools read the name with
// the time it shows, and hear when it changes.
void markTimeCell(QLabel *label, const QString &cellName);
void timeCellChanged(QLabel *label);

// A control's value changed (a progress panel's percentage).
void valueChanged(QWidget *widget);
// The strip's play position or selection changed.
void timelineChanged(QWidget *strip);

} // namespace Accessibility

// A line nobody sees that tells a screen reader what just happened: a save
// that finished, a job that failed or was cancelled, a command refused. It is
// a notification: each announcement renames it and shows it afresh, and
// screen readers speak a notification that shows, whatever has the focus
// (a renamed object they speak only while it has the focus).
class LiveStatus : public QWidget
{
    Q_OBJECT
public:
    explicit LiveStatus(QWidget *parent = nullptr);

    void announce(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Passes every message on to the real prompt, and first announces those
// that only tell (a failure, a refusal) so a screen reader says them at once.
class AnnouncingPrompt : public UserPrompt
{
public:
    AnnouncingPrompt(UserPrompt &inner, std::function<void(const QString &)> announce)
        : m_inner(inner), m_announce(std::move(announce))
    {
    }
    bool show(const Message &message) override
    {
        tell(message);
        return m_inner.show(message);
    }
    Answer choose(const Message &message) override
    {
        tell(message);
        return m_inner.choose(message);
    }

private:
    void tell(const Message &message)
    {
        if (message.buttons == Buttons::Ok && m_announce)
            m_announce(message.text);
    }
    UserPrompt &m_inner;
    std::function<void(const QString &)> m_announce;
};
