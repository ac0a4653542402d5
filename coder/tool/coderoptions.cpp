#include "coderoptions.h"

#include "codererror.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace
{

// Whole or decimal seconds, not negative: "10", "2.5". No exponent, no sign,
// no hex: strtod alone would take "1e3", "0x10", "inf" and "nan".
std::optional<double> parseSeconds(const std::string &text)
{
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    bool seenDot = false;
    bool seenDigit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            seenDigit = true;
        } else if (c == '.' && !seenDot) {
            seenDot = true;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    if (errno != 0 || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "128k", "7.4k", "128000", "1M": bits per second.
std::optional<long> parseBitRate(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    std::string number = text;
    double scale = 1.0;
    const char last = text.back();
    if (last == 'k' || last == 'K') {
        scale = 1000.0;
        number.pop_back();
    } else if (last == 'm' || last == 'M') {
        scale = 1000000.0;
        number.pop_back();
    }
    const auto value = parseSeconds(number); // same plain decimal form
    if (!value)
        return std::nullopt;
    const double bits = std::round(*value * scale);
    if (bits < 1.0 || bits > 10e6)
        return std::nullopt;
    return static_cast<long>(bits);
}

std::optional<int> parseCount(const std::string &text, int low, int high)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    const int value = std::atoi(text.c_str());
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

[[noreturn]] void usage(const std::string &what, const std::string &reason)
{
    throw CoderError{what, reason, ExitUsage};
}

} // namespace

CoderOptions parseCoderOptions(const std::vector<std::string> &args)
{
    CoderOptions options;
    bool haveInput = false;
    bool haveOutput = false;

    auto valueOf = [&](std::size_t &i) -> const std::string & {
        if (i + 1 >= args.size())
            usage(args[i], "option needs a value");
        return args[++i];
    };
    auto setOutput = [&](const std::string &path) {
        if (haveOutput)
            usage(path, "only one output file may be given");
        if (path.empty())
            usage("\"\"", "empty output path");
        options.output = path;
        haveOutput = true;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "-i") {
            // The value is taken as it stands, so an input named "-x.mp3" works.
            options.input = valueOf(i);
            if (options.input.empty())
                usage("-i", "empty input path");
            haveInput = true;
        } else if (arg == "-y") {
            options.overwrite = true;
        } else if (arg == "-growing") {
            options.growing = true;
        } else if (arg == "-vn") {
            // Video is always dropped; the option is accepted for the callers' sake.
        } else if (arg == "-ss") {
            const std::string &text = valueOf(i);
            const auto seconds = parseSeconds(text);
            if (!seconds)
                usage("-ss " + text, "not a number of seconds");
            options.start = *seconds;
        } else if (arg == "-t") {
            const std::string &text = valueOf(i);
            const auto seconds = parseSeconds(text);
            if (!seconds || *seconds <= 0.0)
                usage("-t " + text, "not a positive number of seconds");
            options.length = *seconds;
        } else if (arg == "-ab") {
            const std::string &text = valueOf(i);
            options.bitRate = parseBitRate(text);
            if (!options.bitRate)
                usage("-ab " + text, "not a bit rate");
        } else if (arg == "-ar") {
            const std::string &text = valueOf(i);
            options.sampleRate = parseCount(text, 1000, 384000);
            if (!options.sampleRate)
                usage("-ar " + text, "not a sample rate");
        } else if (arg == "-ac") {
            const std::string &text = valueOf(i);
            options.channels = parseCount(text, 1, 8);
            if (!options.channels)
                usage("-ac " + text, "not a channel count (1 to 8)");
        } else if (arg == "-acodec") {
            const std::string &text = valueOf(i);
            if (text.empty())
                usage("-acodec", "empty codec name");
            options.codec = text;
        } else if (arg == "-af") {
            const std::string &text = valueOf(i);
            if (text.empty() || text.size() > 4096)
                usage("-af", "empty or overlong filter graph");
            options.filters = text;
        } else if (arg == "-loudness") {
            const std::string &text = valueOf(i);
            // "-14": a negative plain decimal, as loudness targets are.
            const auto value = text.size() > 1 && text[0] == '-' ? parseSeconds(text.substr(1))
                                                                 : std::nullopt;
            if (!value || *value < 5.0 || *value > 70.0)
                usage("-loudness " + text, "not a loudness target (-70 to -5 LUFS)");
            options.loudness = -*value;
        } else if (arg == "-f") {
            const std::string &text = valueOf(i);
            // The output format follows the target's extension; only the
            // measuring "null" output is chosen by name.
            if (text != "null")
                usage("-f " + text, "only -f null is known (the extension chooses the format)");
            options.nullOutput = true;
        } else if (arg == "-") {
            setOutput(arg);
        } else if (arg == "-threads") {
            const std::string &text = valueOf(i);
            const auto count = parseCount(text, 0, 256);
            if (!count)
                usage("-threads " + text, "not a thread count (0 to 256)");
            options.threads = *count;
        } else if (arg == "--") {
            if (i + 1 >= args.size())
                usage("--", "output path missing");
            setOutput(args[++i]);
            if (i + 1 < args.size())
                usage(args[i + 1], "unexpected argument after the output");
        } else if (!arg.empty() && arg[0] == '-') {
            usage(arg, "unknown option");
        } else {
            setOutput(arg);
        }
    }

    if (!haveInput)
        usage("-i", "no input file given");
    if (!haveOutput)
        usage("OUTPUT", "no output file given (usage: coder -i INPUT [options] [--] OUTPUT)");
    if (options.nullOutput != (options.output == "-"))
        usage(options.output, options.nullOutput
                                  ? "-f null writes nothing: give \"-\" as its output"
                                  : "\"-\" is only the output of -f null");
    if (options.growing && (options.nullOutput || options.length || options.start != 0.0 ||
                            !options.filters.empty() || options.loudness))
        usage("-growing", "only a whole decode is written while it is read");
    return options;
}
