// The globe library's one exception type. It lives at the bottom layer so that
// every reader, from the byte reader up, reports failures the same way.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

class EGlobeException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The longest piece of an offending text that a message quotes.
inline constexpr std::size_t EXCERPT_LENGTH = 100;

// The text as a message quotes it: whole when short, else its first
// EXCERPT_LENGTH characters and "...", so that a hostile value of megabytes
// never becomes a message of megabytes.
inline std::string Excerpt(std::string_view text)
{
    if (text.size() <= EXCERPT_LENGTH)
        return std::string(text);
    return std::string(text.substr(0, EXCERPT_LENGTH)) + "...";
}
