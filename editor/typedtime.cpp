#include "typedtime.h"

namespace {

// A run of ASCII digits of a bounded length, as a number.
std::optional<qint64> digits(QStringView text, int minDigits, int maxDigits)
{
    if (text.size() < minDigits || text.size() > maxDigits)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// "SS" or "SS.mmm" as milliseconds; the whole seconds take up to maxDigits.
std::optional<qint64> secondsPart(QStringView text, int maxDigits)
{
    const qsizetype dot = text.indexOf(u'.');
    const QStringView whole = dot < 0 ? text : text.left(dot);
    const auto seconds = digits(whole, 1, maxDigits);
    if (!seconds)
        return std::nullopt;
    qint64 ms = 0;
    if (dot >= 0) {
        const QStringView fraction = text.mid(dot + 1);
        const auto value = digits(fraction, 1, 3);
        if (!value)
            return std::nullopt;
        ms = *value * (fraction.size() == 1 ? 100 : fraction.size() == 2 ? 10 : 1);
    }
    return *seconds * 1000 + ms;
}

} // namespace

std::optional<qint64> parseTypedTime(QStringView text)
{
    // Six digits of hours (or nine of plain seconds) are far beyond any song
    // and keep every sum well inside 64 bits.
    constexpr int LeadDigits = 6;
    text = text.trimmed();
    const qsizetype first = text.indexOf(u':');
    if (first < 0)
        return secondsPart(text, 9);
    const qsizetype second = text.indexOf(u':', first + 1);
    if (second >= 0 && text.indexOf(u':', second + 1) >= 0)
        return std::nullopt;

    if (second < 0) {
        const auto minutes = digits(text.left(first), 1, LeadDigits);
        const auto seconds = secondsPart(text.mid(first + 1), 2);
        if (!minutes || !seconds || *seconds >= 60000)
            return std::nullopt;
        return *minutes * 60000 + *seconds;
    }
    const auto hours = digits(text.left(first), 1, LeadDigits);
    const auto minutes = digits(text.mid(first + 1, second - first - 1), 1, 2);
    const auto seconds = secondsPart(text.mid(second + 1), 2);
    if (!hours || !minutes || !seconds || *minutes >= 60 || *seconds >= 60000)
        return std::nullopt;
    return *hours * 3600000 + *minutes * 60000 + *seconds;
}
