#include "codercommand.h"

#include "outputformats.h"

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
    return command;
}
