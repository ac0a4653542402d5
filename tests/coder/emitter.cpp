// Test child for the console runner. Each argument is one step, run in order:
//   out:N:C     write N bytes of character C to standard output
//   err:N:C     the same on standard error
//   text:S      write S to standard output
//   pid         write "pid:<own pid>;" to standard output
//   sleep:MS    sleep MS milliseconds
//   await:PATH  wait until PATH exists (the test's go-ahead), 30 s at most
//   exit:CODE   exit with CODE
//   crash       die by SIGABRT (a signal AddressSanitizer leaves to the default action)
//   ignoreterm  ignore SIGTERM from here on
//   grandchild:MS  fork a child that keeps the output pipe, writes
//                  "grandchild:<pid>;" and sleeps MS before writing "late"
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

static void writeAll(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

static void pause(long ms)
{
    usleep(useconds_t(ms) * 1000);
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const auto colon = step.find(':');
        const std::string name = step.substr(0, colon);
        const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (name == "out" || name == "err") {
            const auto second = value.find(':');
            const long count = std::atol(value.substr(0, second).c_str());
            const char c = second == std::string::npos ? 'x' : value[second + 1];
            writeAll(name == "out" ? 1 : 2, std::string(size_t(count), c));
        } else if (name == "text") {
            writeAll(1, value);
        } else if (name == "pid") {
            writeAll(1, "pid:" + std::to_string(getpid()) + ";");
        } else if (name == "sleep") {
            pause(std::atol(value.c_str()));
        } else if (name == "await") {
            for (int tries = 0; tries < 6000 && access(value.c_str(), F_OK) != 0; ++tries)
                pause(5);
        } else if (name == "exit") {
            return std::atoi(value.c_str());
        } else if (name == "crash") {
            std::raise(SIGABRT);
        } else if (name == "ignoreterm") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (name == "grandchild") {
            if (fork() == 0) {
                writeAll(1, "grandchild:" + std::to_string(getpid()) + ";");
                pause(std::atol(value.c_str()));
                writeAll(1, "late");
                _exit(0);
            }
            pause(100);
        } else {
            std::fprintf(stderr, "emitter: unknown step %s\n", argv[i]);
            return 2;
        }
    }
    return 0;
}
