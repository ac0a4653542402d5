#include "commandline.h"

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList parts;
    QString current;
    bool inQuotes = false;
    bool inPart = false; // "" is an empty argument, not nothing
    for (QChar c : commandLine) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            inPart = true;
        } else if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (inPart)
                parts.append(current);
            current.clear();
            inPart = false;
        } else {
            current.append(c);
            inPart = true;
        }
    }
    if (inPart)
        parts.append(current);
    return parts;
}
