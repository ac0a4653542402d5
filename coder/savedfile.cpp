#include "savedfile.h"

#include <QStringList>

#include <cmath>

namespace
{

QString unescapeTag(const QString &text)
{
    QString value;
    value.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size()) {
            c = text.at(++i);
            if (c == u'n')
                c = u'\n';
            else if (c == u'r')
                c = u'\r';
        }
        value.append(c);
    }
    return value;
}

} // namespace

std::optional<SavedFile> SavedFile::fromOutput(const QString &output)
{
    const QString marker = QStringLiteral("Read back:\n");
    qsizetype at = output.lastIndexOf(marker);
    // The block starts a line.
    while (at > 0 && output.at(at - 1) != u'\n')
        at = output.lastIndexOf(marker, at - 1);
    if (at < 0)
        return std::nullopt;

    SavedFile file;
    bool haveSamples = false;
    const QStringList lines = output.mid(at + marker.size()).split(u'\n');
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon <= 0)
            break;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2);
        bool ok = true;
        if (key == u"container")
            file.container = value;
        else if (key == u"codec")
            file.codec = value;
        else if (key == u"rate")
            file.rate = value.toInt(&ok);
        else if (key == u"channels")
            file.channels = value.toInt(&ok);
        else if (key == u"samples") {
            file.samples = value.toLongLong(&ok);
            haveSamples = ok;
        }
        else if (key == u"frame")
            file.frame = value.toLongLong(&ok);
        else if (key == u"title")
            file.title = unescapeTag(value);
        else
            break;
        if (!ok)
            return std::nullopt;
    }
    if (file.codec.isEmpty() || file.rate <= 0 || !haveSamples || file.frame <= 0)
        return std::nullopt;
    return file;
}

bool SavedFile::lasts(double expectedSeconds) const
{
    if (rate <= 0)
        return false;
    return std::abs(double(samples) - expectedSeconds * rate) <= double(frame) + 0.5;
}

QString SavedFile::codecName() const
{
    if (codec.startsWith(u"wmav"))
        return QStringLiteral("WMA");
    if (codec.startsWith(u"pcm_"))
        return QStringLiteral("PCM");
    if (codec == u"amr_nb")
        return QStringLiteral("AMR-NB");
    if (codec == u"vorbis")
        return QStringLiteral("Vorbis");
    return codec.toUpper();
}

QString SavedFile::rateText() const
{
    return QString::number(rate / 1000.0, 'g', 6) + QStringLiteral(" kHz");
}
