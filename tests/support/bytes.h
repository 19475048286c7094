#pragma once
// Byte strings for wire-format cases, written as numbers.

#include <initializer_list>
#include <string>

inline std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

// Big-endian 16-bit values, as the instrument's tables carry them.
inline std::string be16(std::initializer_list<unsigned> values) {
    std::string s;
    for (unsigned v : values) {
        s += static_cast<char>((v >> 8) & 0xFF);
        s += static_cast<char>(v & 0xFF);
    }
    return s;
}
