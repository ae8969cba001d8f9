// GbkText and ByteBuffer: the two byte-string types every layer passes around.
//
// A GbkText holds code page 936 (GBK) bytes and never a zero byte: building one
// from bytes stops at the first zero. The empty text and an absent text are the
// same value. A ByteBuffer holds any bytes (response bodies, file contents).
// The two are distinct types, and neither converts implicitly from or to
// std::string, so GBK bytes cannot be mixed up with UTF-8 by accident; crossing
// between them goes through the code-page layer (code_page.h).
//
// Both are plain values: copyable, movable, safe to read from any thread.
#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace lanyi {

class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
    explicit ByteBuffer(std::string_view bytes) : bytes_(bytes) {}

    std::string_view view() const { return bytes_; }
    const char* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }

    void append(std::string_view bytes) { bytes_.append(bytes); }
    std::string take() && { return std::move(bytes_); }

    friend bool operator==(const ByteBuffer&, const ByteBuffer&) = default;

private:
    std::string bytes_;
};

class GbkText {
public:
    GbkText() = default;
    // Keeps the bytes up to, not including, the first zero byte.
    explicit GbkText(std::string_view bytes);
    explicit GbkText(std::string&& bytes);
    explicit GbkText(const char* bytes) : GbkText(std::string_view(bytes)) {}

    std::string_view view() const { return bytes_; }
    const std::string& str() const { return bytes_; }
    const char* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    unsigned char byte(std::size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }

    friend bool operator==(const GbkText&, const GbkText&) = default;
    friend auto operator<=>(const GbkText&, const GbkText&) = default;

private:
    std::string bytes_;
};

// Joins texts; the result of joining GbkTexts never holds a zero byte.
GbkText operator+(const GbkText& a, const GbkText& b);

// A GBK literal written in UTF-8 source: gbk("发发在线"). Converts once per call;
// hot paths keep the result in a static const.
GbkText gbk(std::string_view utf8);

}  // namespace lanyi
