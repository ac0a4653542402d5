// setup.ini as the program reads it at start.
#include "fuzzinput.h"
#include "setupfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzBytes(data, size);
    const SetupValues values = SetupFile::parse(input);
    // What is written back reads back the same.
    if (SetupFile::parse(SetupFile::format(values)) != values)
        __builtin_trap();
    SetupFile::lines(input);
    SetupFile::lines(input);
    for (const QByteArray &field : input.split(','))
        SetupFile::fieldValue(field);
    return 0;
}
