#pragma once

// Scripted stand-ins for the user and the desktop, as the session meets them.

#include "desktopopener.h"
#include "userprompt.h"

#include <QList>

// Answers from a script and keeps every message shown.
class ScriptedPrompt : public UserPrompt
{
public:
    bool show(const Message &message) override
    {
        m_shown.append(message);
        return m_answers.isEmpty() ? m_defaultAnswer : m_answers.takeFirst();
    }
    // The next three-way question is cancelled.
    Answer choose(const Message &message) override
    {
        if (!m_cancelNext)
            return UserPrompt::choose(message);
        m_cancelNext = false;
        m_shown.append(message);
        return Answer::Cancel;
    }
    void cancelNextChoice() { m_cancelNext = true; }
    void queueAnswer(bool ok) { m_answers.append(ok); }
    void setDefaultAnswer(bool ok) { m_defaultAnswer = ok; }
    const QList<Message> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    QList<Message> m_shown;
    QList<bool> m_answers;
    bool m_defaultAnswer = true;
    bool m_cancelNext = false;
};

// Keeps the requests instead of starting a browser.
class RecordingDesktopOpener : public DesktopOpener
{
public:
    bool openUrl(const QUrl &url) override
    {
        m_opened.append(url);
        return true;
    }
    void showFile(const QString &path) override { m_shown.append(path); }
    const QList<QUrl> &opened() const { return m_opened; }
    const QStringList &shownFiles() const { return m_shown; }
    void clear()
    {
        m_opened.clear();
        m_shown.clear();
    }

private:
    QList<QUrl> m_opened;
    QStringList m_shown;
};
