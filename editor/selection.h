#pragma once

#include <QObject>
#include <QtGlobal>

// The selection's own state: SelBeginMs, SelEndMs (0: no end chosen) and the
// handle set last. Every change goes through a setter and is announced once:
// the labels, the undo record and the commands follow the signals, so no
// path can change the selection unseen.
class Selection : public QObject
{
    Q_OBJECT
public:
    enum class Handle { Begin, End };

    using QObject::QObject;

    qint64 beginMs() const { return m_beginMs; }
    qint64 endMs() const { return m_endMs; }
    Handle lastHandle() const { return m_last; }
    // A stretch that can be saved or played: an end after the begin.
    bool isValid() const { return m_endMs > m_beginMs; }

    // Each makes its handle the one last set.
    void setBegin(qint64 ms);
    void setEnd(qint64 ms);
    void setLastHandle(Handle handle) { m_last = handle; }
    // Both at once (undo and redo put a selection back this way).
    void set(qint64 beginMs, qint64 endMs);
    // No file: nothing selected, and nothing before it to go back to.
    void clear();

signals:
    void beginChanged(qint64 ms);
    void endChanged(qint64 ms);
    // After any change, once the begin and end signals have run.
    void changed();
    void cleared();

private:
    void setOne(Handle handle, qint64 ms);

    qint64 m_beginMs = 0;
    qint64 m_endMs = 0;
    Handle m_last = Handle::Begin;
};
