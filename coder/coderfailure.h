#pragma once

#include <QCoreApplication>
#include <QString>

// What a failed coder job means to the person who asked for it. The coder
// ends a failed job with one line, "coder: <path>: <reason>", in its own
// terms; the user reads what happened and what to do instead, and the line
// itself goes into the message's details.
class CoderFailure
{
    Q_DECLARE_TR_FUNCTIONS(CoderFailure)

public:
    enum class Job { Open, Export };

    // The message for a job that failed with `coderLine` (the coder's line,
    // or any other account of the failure); never empty, never the line.
    static QString plainText(Job job, const QString &coderLine);
};
