#pragma once

#include <QString>
#include <QStringList>

// Splits a command line into program and arguments without any shell:
// blanks separate, double quotes group (and are dropped), nothing else is
// special, so "$", ";" or "\" reach the program as written.
QStringList splitCommandLine(const QString &commandLine);
