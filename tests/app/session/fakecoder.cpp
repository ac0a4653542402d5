// A stand-in for the transcoder in the controllers' unit tests: it answers as
// the variable KESMARIN_FAKE_CODER says and logs its arguments, so a test can
// provoke each ending of a job cheaply. The real coder is exercised by the
// end-to-end test.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char **argv)
{
    const char *mode = std::getenv("KESMARIN_FAKE_CODER");
    const std::string how = mode ? mode : "ok";
    if (const char *log = std::getenv("KESMARIN_FAKE_CODER_LOG")) {
        std::ofstream out(log, std::ios::app);
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\n';
        out << "--\n";
    }
    const std::string output = argc > 1 ? argv[argc - 1] : "";
    const std::string input = argc > 2 ? argv[2] : "";

    if (how == "fail") {
        std::fprintf(stderr, "coder: %s: Invalid data found when processing input\n", input.c_str());
        return 1;
    }
    if (how == "crash") {
        std::fprintf(stderr, "Duration: 00:00:10.00, start\n");
        std::fflush(stderr);
        std::abort();
    }
    std::fprintf(stderr, "Input #0, fake, from '%s':\n  Duration: 00:00:10.00, start: 0.000000\n",
                 input.c_str());
    std::fflush(stderr);
    const int steps = how == "slow" ? 12 : 2;
    for (int i = 1; i <= steps; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(how == "slow" ? 100 : 60));
        std::fprintf(stderr, "size=       1kB time=%d.00 \n", i * 10 / steps);
        std::fflush(stderr);
    }
    if (how == "empty")
        return 0;
    // Like the real coder: a new file, renamed into place on success.
    const std::string part = output + ".part";
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        file << std::string(4096, '\x01');
        if (!file)
            return 1;
    }
    if (std::rename(part.c_str(), output.c_str()) != 0)
        return 1;
    // The read-back block, for the length asked (-t), or half of it.
    double seconds = 10.0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "-t")
            seconds = std::atof(argv[i + 1]);
    }
    if (how == "unreadable")
        return 0;
    if (how == "short")
        seconds /= 2;
    std::printf("Read back:\ncontainer: fake\ncodec: aac\nrate: 44100\nchannels: 2\n"
                "samples: %lld\nframe: 1024\ntitle: fake\n",
                static_cast<long long>(seconds * 44100));
    return 0;
}
