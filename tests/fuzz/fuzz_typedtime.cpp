// A time typed into the selection's time boxes: read as UTF-8 text and as raw
// UTF-16 (lone surrogates included). What is accepted stays in range, ignores
// blanks around it, and reads back the same once written as the editor shows it.
#include "formattime.h"
#include "fuzzinput.h"
#include "typedtime.h"

#include <QString>

#include <limits>

namespace {

// 999999:59:59.999, the most the parser's digit limits let through.
constexpr qint64 MostMs = 999999LL * 3600000 + 3599999;

void check(const QString &text)
{
    const std::optional<qint64> ms = parseTypedTime(text);
    if (parseTypedTime(QStringLiteral(" \t") + text + QStringLiteral("  ")) != ms)
        __builtin_trap();
    if (!ms)
        return;
    if (*ms < 0 || *ms > MostMs)
        __builtin_trap();
    // The editor shows whole seconds as a 32-bit count: longer than any song.
    if (*ms / 1000 <= std::numeric_limits<qint32>::max()
        && parseTypedTime(formatTimeMs(*ms)) != ms)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzBytes(data, size);
    check(QString::fromUtf8(input));
    check(QString(reinterpret_cast<const QChar *>(input.constData()), input.size() / 2));
    return 0;
}
