// Lets GoogleTest print GbkText and ByteBuffer values readably in failure
// messages: printable ASCII as is, every other byte as \xHH.
#pragma once

#include <cstdio>
#include <ostream>
#include <string_view>

#include "text/gbk_text.h"

namespace lanyi {

inline void print_bytes(std::string_view bytes, std::ostream* os) {
    *os << '"';
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\' && b != '"') {
            *os << c;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            *os << buf;
        }
    }
    *os << '"';
}

inline void PrintTo(const GbkText& text, std::ostream* os) { print_bytes(text.view(), os); }
inline void PrintTo(const ByteBuffer& buffer, std::ostream* os) { print_bytes(buffer.view(), os); }

}  // namespace lanyi
