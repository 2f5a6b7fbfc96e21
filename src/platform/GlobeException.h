// The globe library's one exception type. It lives at the bottom layer so that
// every reader, from the byte reader up, reports failures the same way.
#pragma once

#include <stdexcept>
#include <string>

class EGlobeException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
