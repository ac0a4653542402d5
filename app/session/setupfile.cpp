#include "setupfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {
// More than any real settings file; a huge file is not read whole.
constexpr qint64 MaxRead = 64 * 1024;
constexpr qint32 MaxFadeMs = 10000;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

QString SetupFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
           + QStringLiteral("/setup.ini");
}

qint16 SetupFile::fieldValue(const QByteArray &field)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    while (i < n && isBlank(field[i]))
        ++i;
    if (i < n && field[i] == '"') // a quoted field reads like its contents
        ++i;
    const qsizetype start = i;
    if (i < n && (field[i] == '-' || field[i] == '+'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(field[i]))
        ++i, ++digits;
    if (i < n && field[i] == '.') {
        ++i;
        while (i < n && isDigit(field[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < n && (field[i] == 'e' || field[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (field[j] == '-' || field[j] == '+'))
            ++j;
        if (j < n && isDigit(field[j])) {
            while (j < n && isDigit(field[j]))
                ++j;
            i = j;
        }
    }
    const QByteArray number = field.mid(start, i - start);
    double value = 0;
    const char *first = number.constData();
    if (*first == '+') // from_chars takes no plus sign
        ++first;
    const auto [end, error] = std::from_chars(first, number.constData() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large for a double reads as the far end of the range; too small as 0.
        const bool tiny = number.contains("e-") || number.contains("E-");
        value = tiny ? 0.0 : (number.startsWith('-') ? -HUGE_VAL : HUGE_VAL);
    } else if (error != std::errc()) {
        return 0;
    }
    constexpr double Low = std::numeric_limits<qint16>::min();
    constexpr double High = std::numeric_limits<qint16>::max();
    if (value <= Low)
        return qint16(Low);
    if (value >= High)
        return qint16(High);
    return qint16(std::nearbyint(value)); // default rounding mode: halves to even
}

SetupValues SetupFile::parse(const QByteArray &text)
{
    SetupValues values;
    constexpr int Fields = 5;
    QByteArray fields[Fields];
    int field = 0;
    for (qsizetype i = 0; i < text.size() && field < Fields; ++i) {
        const char c = text[i];
        if (c == ',' || c == '\n') {
            ++field;
        } else if (c == '\r') {
            ++field;
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            fields[field].append(c);
        }
    }
    values.openFolderChoice = fieldValue(fields[0]);
    values.ringSoundChoice = fieldValue(fields[1]);
    values.fadeInMs = std::clamp<qint32>(fieldValue(fields[2]), 0, MaxFadeMs);
    values.fadeOutMs = std::clamp<qint32>(fieldValue(fields[3]), 0, MaxFadeMs);
    values.normalise = fieldValue(fields[4]) != 0;
    return values;
}

SetupValues SetupFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.read(MaxRead));
}


QList<QByteArray> SetupFile::lines(const QByteArray &text)
{
    QList<QByteArray> out;
    QByteArray line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out.append(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line.append(c);
        }
    }
    if (!line.isEmpty())
        out.append(line);
    return out;
}

namespace {
// Lines 1 to 5, as the values say.
QList<QByteArray> ownLines(const SetupValues &values)
{
    return {QByteArray::number(values.openFolderChoice), QByteArray::number(values.ringSoundChoice),
            QByteArray::number(values.fadeInMs), QByteArray::number(values.fadeOutMs),
            QByteArray::number(values.normalise ? 1 : 0)};
}

QList<QByteArray> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return SetupFile::lines(file.read(MaxRead));
}

bool writeLines(const QString &path, const QList<QByteArray> &lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
} // namespace

QByteArray SetupFile::format(const SetupValues &values)
{
    QByteArray bytes;
    for (const QByteArray &line : ownLines(values))
        bytes += line + "\r\n";
    return bytes;
}

bool SetupFile::write(const QString &path, const SetupValues &values)
{
    QList<QByteArray> kept = readLines(path);
    const QList<QByteArray> own = ownLines(values);
    while (kept.size() < own.size())
        kept.append(QByteArray());
    for (int i = 0; i < own.size(); ++i)
        kept[i] = own[i];
    return writeLines(path, kept);
}

QString SetupFile::readSaveFolder(const QString &path)
{
    const QList<QByteArray> all = readLines(path);
    if (all.size() < SaveFolderLine)
        return QString();
    return QFile::decodeName(all[SaveFolderLine - 1]);
}

bool SetupFile::writeSaveFolder(const QString &path, const QString &folder,
                                const SetupValues &values)
{
    const QByteArray line = QFile::encodeName(folder);
    if (line.contains('\r') || line.contains('\n'))
        return false;
    QList<QByteArray> all = readLines(path);
    const QList<QByteArray> own = ownLines(values);
    while (all.size() < own.size())
        all.append(own[all.size()]);
    while (all.size() < SaveFolderLine)
        all.append(QByteArrayLiteral("0"));
    all[SaveFolderLine - 1] = line;
    return writeLines(path, all);
}
