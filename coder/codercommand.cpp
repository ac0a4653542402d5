#include "codercommand.h"

#include "outputformats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QString programIn(const QString &appFolder)
{
    return appFolder + QStringLiteral("/data/coder");
}

// A relative path starting with "-" would read as an option; "./" keeps it a path.
QString asPathArgument(const QString &path)
{
    return path.startsWith(u'-') ? QStringLiteral("./") + path : path;
}

} // namespace

std::optional<QString> CoderCommand::exportOptionsFor(const QString &target)
{
    const QString tail = target.right(3).toLower();
    for (const OutputFormatRow &row : OutputFormats) {
        if (row.exportOptions && tail == QLatin1String(row.extension))
            return QString::fromLatin1(row.exportOptions);
    }
    return std::nullopt;
}

CoderCommand CoderCommand::decode(const QString &appFolder, const QString &workFile,
                                  const QString &source, bool growing)
{
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), source, QStringLiteral("-y"),
                         QStringLiteral("-vn")};
    if (growing)
        command.arguments << QStringLiteral("-growing");
    command.arguments << asPathArgument(workFile);
    command.commandLine = command.program + QStringLiteral(" -i \"") + source +
                          QStringLiteral("\" -y -vn ") +
                          (growing ? QStringLiteral("-growing ") : QString()) + workFile;
    command.output = workFile;
    command.background = growing;
    return command;
}

std::optional<CoderCommand> CoderCommand::exportRingtone(const QString &appFolder,
                                                         const QString &workFile, qint64 begin,
                                                         qint64 length, const QString &target)
{
    return exportRingtone(appFolder, workFile, Stretch{begin * 1000, length * 1000}, target);
}

std::optional<CoderCommand> CoderCommand::exportRingtone(const QString &appFolder,
                                                         const QString &workFile, Stretch stretch,
                                                         const QString &target,
                                                         const QString &filterGraph,
                                                         std::optional<double> loudness)
{
    const std::optional<QString> found = exportOptionsFor(target);
    if (!found)
        return std::nullopt;
    const QString &options = *found;
    const QString begin = secondsText(stretch.beginMs);
    const QString length = secondsText(stretch.lengthMs);
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), workFile,
                         QStringLiteral("-ss"), begin,
                         QStringLiteral("-t"), length};
    command.arguments += options.split(u' ', Qt::SkipEmptyParts);
    QString filters;
    if (loudness) {
        const QString lufs = QString::number(*loudness, 'g', 4);
        command.arguments << QStringLiteral("-loudness") << lufs;
        filters = QStringLiteral("-loudness ") + lufs + u' ';
    }
    if (!filterGraph.isEmpty()) {
        command.arguments << QStringLiteral("-af") << filterGraph;
        filters += QStringLiteral("-af ") + filterGraph + u' ';
    }
    command.arguments.append(asPathArgument(target));
    command.commandLine = command.program + QStringLiteral(" -i ") + workFile +
                          QStringLiteral(" -ss ") + begin + QStringLiteral(" -t ") + length +
                          options + filters + u'"' + target + u'"';
    command.output = target;
    return command;
}

int CoderCommand::removeLeftovers(const QString &output, qint64 pid)
{
    if (output.isEmpty() || pid <= 0)
        return 0;
    // The coder names its temporary file ".<name>.<pid>-XXXXXX.part". The
    // pattern holds only the pid, so no character of a user's name can act
    // as a wildcard; our child's pid cannot belong to another live coder.
    const QDir folder = QFileInfo(output).absoluteDir();
    const QStringList found = folder.entryList({QStringLiteral(".*.%1-??????.part").arg(pid)},
                                               QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString &part : found) {
        if (QFile::remove(folder.filePath(part)))
            ++removed;
    }
    return removed;
}

CoderCommand CoderCommand::measurePeak(const QString &appFolder, const QString &workFile,
                                       Stretch stretch, const QString &filterGraph)
{
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), workFile,
                         QStringLiteral("-ss"), secondsText(stretch.beginMs),
                         QStringLiteral("-t"), secondsText(stretch.lengthMs)};
    if (!filterGraph.isEmpty())
        command.arguments << QStringLiteral("-af") << filterGraph;
    command.arguments << QStringLiteral("-f") << QStringLiteral("null") << QStringLiteral("-");
    command.commandLine = command.program + u' ' + command.arguments.join(u' ');
    return command;
}

QString CoderCommand::secondsText(qint64 milliSeconds)
{
    QString text = QString::number(milliSeconds / 1000);
    const qint64 ms = milliSeconds % 1000;
    if (ms == 0)
        return text;
    QString fraction = QStringLiteral("%1").arg(ms, 3, 10, QLatin1Char('0'));
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    return text + u'.' + fraction;
}

QString CoderCommand::filterGraph(const FadeLevel &fades, qint64 lengthMs,
                                  std::optional<double> gainDb)
{
    QStringList parts;
    const qint64 fadeIn = std::clamp<qint64>(fades.fadeInMs, 0, lengthMs);
    const qint64 fadeOut = std::clamp<qint64>(fades.fadeOutMs, 0, lengthMs);
    // Times count from the stretch's first sample.
    if (fadeIn > 0)
        parts << QStringLiteral("afade=t=in:d=") + secondsText(fadeIn);
    if (fadeOut > 0)
        parts << QStringLiteral("afade=t=out:st=") + secondsText(lengthMs - fadeOut) +
                     QStringLiteral(":d=") + secondsText(fadeOut);
    if (gainDb)
        parts << QStringLiteral("volume=") + QString::number(*gainDb, 'f', 2) + QStringLiteral("dB");
    return parts.join(u',');
}

std::optional<double> CoderCommand::maxVolume(const QString &output)
{
    static const QRegularExpression line(QStringLiteral("(?:^|\\n)max_volume: (-inf|-?[0-9]+(?:\\.[0-9]+)?) dB"));
    // The meter's line comes last; an earlier look-alike is not it.
    QRegularExpressionMatch match;
    for (auto it = line.globalMatch(output); it.hasNext();)
        match = it.next();
    if (!match.hasMatch())
        return std::nullopt;
    if (match.captured(1) == u"-inf")
        return -std::numeric_limits<double>::infinity();
    return match.captured(1).toDouble();
}

std::optional<double> CoderCommand::normalisingGain(double peakDb)
{
    if (!std::isfinite(peakDb))
        return std::nullopt;
    return FadeLevel::NormalisedPeakDb - peakDb;
}
