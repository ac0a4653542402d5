// Time from a child's exit to the runner's CommandOver, over many jobs.
// The program is its own child: with --child it prints the moment it exits.
//   kes_joboverhead [jobs] [output-bytes]
#include "consolerunner.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

static qint64 nowMicroSeconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        std::string out(size_t(std::atol(argv[2])), 'x');
        out += "exit=" + std::to_string(nowMicroSeconds()) + ";";
        (void)!write(1, out.data(), out.size());
        return 0;
    }
    QCoreApplication app(argc, argv);
    const int jobs = argc > 1 ? std::atoi(argv[1]) : 20;
    const QString bytes = QString::fromLatin1(argc > 2 ? argv[2] : "100");
    ConsoleRunner runner;
    std::vector<double> overheads;
    for (int i = 0; i < jobs; ++i) {
        qint64 overAt = 0;
        auto c = QObject::connect(&runner, &ConsoleRunner::CommandOver,
                                  [&] { overAt = nowMicroSeconds(); });
        runner.setCommand({QCoreApplication::applicationFilePath(), {"--child", bytes}, {}, {}});
        const QString out = runner.ExecuteCommand();
        QObject::disconnect(c);
        const qsizetype at = out.lastIndexOf(QLatin1String("exit="));
        if (at < 0) {
            std::fprintf(stderr, "no exit stamp in the output\n");
            return 1;
        }
        const qint64 exitedAt = out.mid(at + 5).chopped(1).toLongLong();
        overheads.push_back((overAt - exitedAt) / 1000.0);
    }
    std::sort(overheads.begin(), overheads.end());
    std::printf("jobs %d, %s output bytes: exit to CommandOver median %.1f ms, max %.1f ms, min %.1f ms\n",
                jobs, qPrintable(bytes), overheads[overheads.size() / 2], overheads.back(),
                overheads.front());
    return 0;
}
