// coder: the transcoder the program runs for every decode and export.
//   coder -i SOURCE -y -vn WORKDIR/open.wav
//   coder -i WORKDIR/open.wav -ss BEGIN -t LENGTH [format options] [-af GRAPH] TARGET
//   coder -i WORKDIR/open.wav -ss BEGIN -t LENGTH [-af GRAPH] -f null -    (prints the peak)
//   ... -loudness LUFS TARGET    brings the export to that loudness, true peak at most -1 dBTP
//   ... -loudness LUFS -f null - (prints the loudness and true peak)
//   coder -probe FILE     reads a written file back and prints what it holds
// Standard input is never read. Errors: one line "coder: <path>: <reason>".

#include "codererror.h"
#include "coderoptions.h"
#include "loudness.h"
#include "outputformat.h"
#include "probe.h"
#include "progressreport.h"
#include "temporaryoutput.h"
#include "transcoder.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    TemporaryOutput::installSignalHandlers();
    av_log_set_level(AV_LOG_QUIET);

    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (!args.empty() && args[0] == "-probe") {
            if (args.size() != 2)
                throw CoderError{"-probe", "give exactly one file to read back", ExitUsage};
            printProbe(probeFile(args[1], args[1]));
            return 0;
        }
        const CoderOptions options = parseCoderOptions(args);
        const auto format = options.nullOutput ? std::optional<OutputFormat>(OutputFormat{"null", {}, {}})
                                               : outputFormatFor(options.output);
        if (!format) {
            const std::string ext = extensionOf(options.output);
            throw CoderError{options.output, ext.empty()
                                                 ? "no extension to choose the output format by"
                                                 : "unknown output format \"." + ext + "\""};
        }
        if (options.loudness)
            Loudness::run(options, *format);
        else
            Transcoder(options, *format).run();
        return 0;
    } catch (const CoderError &error) {
        // A stop can surface as any failure (libavformat gives up its I/O).
        if (TemporaryOutput::stopRequested()) {
            std::fprintf(stderr, "coder: %s: stopped by a signal\n",
                         ProgressReport::echoName(error.path).c_str());
            return 128 + TemporaryOutput::stopSignal();
        }
        std::fprintf(stderr, "coder: %s: %s\n", ProgressReport::echoName(error.path).c_str(),
                     error.reason.c_str());
        return error.exitCode;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "coder: %s\n", error.what());
        return ExitFailure;
    }
}
