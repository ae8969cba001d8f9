#include "text/gbk_text.h"

#include <cstring>

#include "text/code_page.h"

namespace lanyi {

GbkText::GbkText(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}

GbkText::GbkText(std::string&& bytes) : bytes_(std::move(bytes)) {
    if (auto zero = bytes_.find('\0'); zero != std::string::npos) bytes_.resize(zero);
}

GbkText operator+(const GbkText& a, const GbkText& b) {
    std::string joined;
    joined.reserve(a.size() + b.size());
    joined.append(a.view()).append(b.view());
    return GbkText(std::move(joined));
}

GbkText gbk(std::string_view utf8) { return utf8_to_gbk(utf8); }

}  // namespace lanyi
