// Error types of the program. Every one carries the message text the user
// sees; callers that show a format message catch them and frame the text.
#pragma once

#include <stdexcept>
#include <string>

// A text that is not a number, or not a number of the expected form.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value that does not fit where it must go (for example a length beyond 32 bits).
class ERangeError : public std::runtime_error {
public:
    ERangeError() : std::runtime_error("Range check error") {}
    using std::runtime_error::runtime_error;
};

// A position outside a list.
class EListError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};
