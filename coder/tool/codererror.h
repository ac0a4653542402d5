#pragma once

#include <string>

// A failure that ends the job. It is printed as one line,
// "coder: <path>: <reason>", and the program exits non-zero.
struct CoderError {
    std::string path;
    std::string reason;
    int exitCode = 1;
};

// Exit codes: 0 the output is complete, 1 the job failed, 2 the command line
// is wrong, 128 + signal when a job was stopped by SIGTERM, SIGINT or SIGHUP.
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
