// A button's stored property bag, as the settings dialog loads its buttons.
#include "buttonpropertybag.h"
#include "fuzzinput.h"
#include "styledbutton.h"

#include <QApplication>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const auto bag = ButtonPropertyBag::fromJson(fuzzBytes(data, size), &error);
    if (!bag)
        return 0;
    StyledButton button;
    bag->applyTo(button);
    // What a read bag writes reads back.
    if (!ButtonPropertyBag::fromJson(bag->toJson(), &error))
        __builtin_trap();
    ButtonPropertyBag stored;
    stored.takeFrom(button);
    if (!ButtonPropertyBag::fromJson(stored.toJson(), &error))
        __builtin_trap();
    return 0;
}
