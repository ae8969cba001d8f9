// The hand-off records passed between a caller of fetch() and the network
// thread: the request record ("Quorbit" + seven texts) and the reply record
// ("Quorbit_OK" + raw headers + body block).
//
// Encoding: a text is its bytes and one NUL; a byte block is a little-endian
// int32 count n and n bytes. Reading takes the fields in order and stops at
// the first one that fails, leaving it and the later fields empty. The readers
// accept any bytes at all (truncated, garbage, negative counts) without
// reading out of bounds. Pure functions, callable from any thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "fetch/fetch.h"
#include "text/gbk_text.h"

namespace lanyi {

inline constexpr std::string_view kRequestMagic = "Quorbit";
inline constexpr std::string_view kReplyMagic = "Quorbit_OK";

struct RequestRecord {
    GbkText magic;
    GbkText url;
    GbkText verb;
    GbkText proxy;
    GbkText user_name;
    GbkText password;
    GbkText extra_headers;
    GbkText post_data;

    bool has_magic() const { return magic.view() == kRequestMagic; }
};

struct ReplyRecord {
    GbkText status;
    GbkText raw_headers;
    ByteBuffer body;

    bool is_ok() const { return status.view() == kReplyMagic; }
};

// Reads fields one after the other from the start of a byte string.
class HandOffReader {
public:
    explicit HandOffReader(std::string_view bytes) : bytes_(bytes) {}

    // Up to and including the next NUL, or to the end; false when no byte is left.
    bool read_text(GbkText& out);
    // An int32 count and that many bytes; false when fewer remain or the count
    // is negative.
    bool read_block(ByteBuffer& out);

    std::size_t position() const { return position_; }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// Appends fields to a growing byte string.
class HandOffWriter {
public:
    void write_text(const GbkText& text);
    void write_block(std::string_view bytes);
    ByteBuffer take() && { return std::move(bytes_); }

private:
    ByteBuffer bytes_;
};

ByteBuffer encode_request_record(const FetchRequest& request);
RequestRecord decode_request_record(std::string_view bytes);

// A body longer than an int32 count can hold is cut to that length.
ByteBuffer encode_reply_record(const GbkText& raw_headers, std::string_view body);
ReplyRecord decode_reply_record(std::string_view bytes);

}  // namespace lanyi
