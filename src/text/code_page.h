// Conversions between GBK text and UTF-8, the only way across the two worlds.
//
// Decoding reads GB18030, the superset that pages labelled GBK or GB2312 often
// need. Bytes that do not decode become U+FFFD; characters that do not encode
// become "?". Neither direction fails. Thread-safe (each call owns its iconv
// state).
#pragma once

#include <string>
#include <string_view>

#include "text/gbk_text.h"

namespace lanyi {

std::string gbk_to_utf8(const GbkText& text);
GbkText utf8_to_gbk(std::string_view utf8);

}  // namespace lanyi
