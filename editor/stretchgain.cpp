#include "stretchgain.h"

#include "codercommand.h"
#include "sound/stretchpeak.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

StretchGain::StretchGain(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &StretchGain::finished);
}

StretchGain::~StretchGain()
{
    if (m_stop)
        m_stop->store(true);
}

std::optional<double> StretchGain::gainDb(const QString &wavPath, const Stretch &stretch)
{
    const QFileInfo info(wavPath);
    const Key key{wavPath, info.size(), info.lastModified(), stretch};
    for (const Known &known : std::as_const(m_known)) {
        if (known.key == key)
            return known.gainDb;
    }
    if (m_watcher.isRunning() && m_measuring == key)
        return std::nullopt;
    if (m_stop)
        m_stop->store(true); // a stretch no longer asked for
    m_stop = std::make_shared<std::atomic_bool>(false);
    m_measuring = key;
    m_watcher.setFuture(QtConcurrent::run([key, stop = m_stop]() -> std::optional<double> {
        const Stretch &s = key.stretch;
        const std::optional<double> peak =
            measureStretchPeakDb(key.path, s.beginMs, s.endMs, s.fadeInMs, s.fadeOutMs, stop.get());
        if (stop->load())
            return std::nullopt;
        return peak ? CoderCommand::normalisingGain(*peak).value_or(0.0) : 0.0;
    }));
    return std::nullopt;
}

void StretchGain::finished()
{
    const std::optional<double> gain = m_watcher.result();
    const Key key = m_measuring;
    m_stop.reset();
    const QFileInfo info(key.path);
    // A file rewritten while it was read is measured again when next asked.
    if (!gain || info.size() != key.size || info.lastModified() != key.modified)
        return;
    m_known.prepend({key, *gain});
    if (m_known.size() > KeptStretches)
        m_known.removeLast();
    emit measured();
}
