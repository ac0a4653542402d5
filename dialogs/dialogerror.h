#pragma once

#include <stdexcept>

// Raised to the caller of a Show operation that cannot run at all: no owner
// window bound yet, or a request the dialog cannot take.
class DialogError : public std::runtime_error
{
public:
    enum class Kind { ObjectNotSet, InvalidArgument };

    DialogError(Kind kind, const char *what) : std::runtime_error(what), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind = Kind::ObjectNotSet;
};
