// The coder's console output as the open and export controllers read it:
// whole, and cut into chunks as the runner's reads may cut it.
#include "coderprogress.h"
#include "fuzzinput.h"

#include <QStringDecoder>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzBytes(data, size);
    const QString whole = QString::fromUtf8(input);
    CoderProgress::parseDuration(whole);
    CoderProgress::parsePosition(whole);
    CoderProgress::shortFileName(whole);
    // A report is only ever a whole line of one exact form, with sane numbers.
    for (const QString &line : whole.split(u'\n')) {
        const auto report = CoderProgress::parseDecodeReport(line);
        if (report && (line.contains(u'\r') || report->end < -1 || report->first < 0 ||
                       (report->kind == CoderProgress::DecodeReport::Kind::Stretch &&
                        report->end <= report->first)))
            __builtin_trap();
    }

    // A bar never leaves its track, whatever the coder prints.
    const auto check = [](const std::optional<CoderProgress::Bar> &bar) {
        if (bar && (bar->widthTwips < 0 || bar->widthTwips > 5000 || bar->text.size() > 5))
            __builtin_trap();
    };
    CoderJobProgress decode(CoderJobProgress::Kind::Decode, 5000);
    CoderJobProgress cut(CoderJobProgress::Kind::Export, 5000, 30);
    QStringDecoder decoder(QStringDecoder::Utf8);
    for (const QByteArray &piece : fuzzPieces(input)) {
        const QString chunk = decoder.decode(piece);
        check(decode.take(chunk));
        check(cut.take(chunk));
    }
    check(decode.finish());
    check(cut.finish());
    // An export never reports a decoded map.
    decode.takeReports();
    if (!cut.takeReports().isEmpty())
        __builtin_trap();
    return 0;
}
