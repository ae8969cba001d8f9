#include "qt/qt_text.h"

#include <algorithm>

#include "text/code_page.h"

namespace lanyi {

QString to_qstring(const GbkText& text) {
    const std::string_view bytes = text.view();
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromStdString(gbk_to_utf8(text));
}

GbkText to_gbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8_to_gbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace lanyi
