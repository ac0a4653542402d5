#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line the program understands:
//   coder -i INPUT [-y] [-vn] [-ss SECONDS] [-t SECONDS] [-ab RATE] [-ar HZ]
//         [-ac N] [-acodec NAME] [-threads N] [-af FILTERGRAPH] [-loudness LUFS] [--] OUTPUT
//   coder -i INPUT -y -vn -growing OUTPUT.wav
// -growing writes the WAV in place, to be read while it grows, and reports
// which stretches of it are complete (see ProgressReport).
//   coder -i INPUT [-ss SECONDS] [-t SECONDS] [-af FILTERGRAPH] [-loudness LUFS] -f null -
// The second form writes nothing and prints the stretch's peak (with
// -loudness, its loudness and true peak).
struct CoderOptions {
    std::string input;
    std::string output;
    bool overwrite = false;
    double start = 0.0;            // seconds into the input
    std::optional<double> length;  // seconds; none = to the end
    std::optional<long> bitRate;   // bits per second
    std::optional<int> sampleRate; // Hz
    std::optional<int> channels;
    std::optional<std::string> codec;
    std::string filters;           // a libavfilter graph; empty = none
    std::optional<double> loudness; // integrated loudness wanted, LUFS
    bool nullOutput = false;       // "-f null -": measure only
    int threads = 0; // decoding threads; 0 = one per processor
    bool growing = false; // written in place and read while it grows
};

// Throws CoderError (exit code ExitUsage) naming the offending argument.
CoderOptions parseCoderOptions(const std::vector<std::string> &args);
