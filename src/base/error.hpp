// The one family of failures the user gets to read. Every operation that can fail for reasons
// outside the program (bad input, unreadable files, impossible geometry) throws one of these,
// and what() is the sentence shown in the window.
#pragma once

#include <stdexcept>
#include <string>

namespace brontile {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace brontile
