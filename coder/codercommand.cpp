#include "codercommand.h"

#include "outputformats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
                                  const QString &source)
{
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), source, QStringLiteral("-y"),
                         QStringLiteral("-vn"), asPathArgument(workFile)};
    command.commandLine = command.program + QStringLiteral(" -i \"") + source +
                          QStringLiteral("\" -y -vn ") + workFile;
    command.output = workFile;
    return command;
}

std::optional<CoderCommand> CoderCommand::exportRingtone(const QString &appFolder,
                                                         const QString &workFile, qint64 begin,
                                                         qint64 length, const QString &target)
{
    const std::optional<QString> found = exportOptionsFor(target);
    if (!found)
        return std::nullopt;
    const QString &options = *found;
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), workFile,
                         QStringLiteral("-ss"), QString::number(begin),
                         QStringLiteral("-t"), QString::number(length)};
    command.arguments += options.split(u' ', Qt::SkipEmptyParts);
    command.arguments.append(asPathArgument(target));
    command.commandLine = command.program + QStringLiteral(" -i ") + workFile +
                          QStringLiteral(" -ss ") + QString::number(begin) +
                          QStringLiteral(" -t ") + QString::number(length) + options +
                          u'"' + target + u'"';
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
