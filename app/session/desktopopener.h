#pragma once

#include <QList>
#include <QUrl>

// Hands a folder, a page or a mail link to the desktop. The program passes
// the real one; tests record the requests instead of starting a browser.
class DesktopOpener
{
public:
    virtual ~DesktopOpener() = default;
    virtual bool openUrl(const QUrl &url) = 0;
};

class SystemDesktopOpener : public DesktopOpener
{
public:
    bool openUrl(const QUrl &url) override;
};

class RecordingDesktopOpener : public DesktopOpener
{
public:
    bool openUrl(const QUrl &url) override
    {
        m_opened.append(url);
        return true;
    }
    const QList<QUrl> &opened() const { return m_opened; }
    void clear() { m_opened.clear(); }

private:
    QList<QUrl> m_opened;
};
