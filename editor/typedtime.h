#pragma once

#include <QStringView>
#include <QtGlobal>

#include <optional>

// A time the user typed, in milliseconds: "HH:MM:SS.mmm", "MM:SS.mmm" or
// plain seconds ("10.25"). The fraction is optional and has one to three
// digits; minutes and seconds after a colon stay below 60; blanks around the
// text are ignored. Anything else gives no value. Pure: no state, no Qt
// object, so any string may be thrown at it.
std::optional<qint64> parseTypedTime(QStringView text);
