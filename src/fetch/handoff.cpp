#include "fetch/handoff.h"

#include <cstdint>
#include <limits>

namespace lanyi {

bool HandOffReader::read_text(GbkText& out) {
    if (position_ >= bytes_.size()) return false;
    std::string_view rest = bytes_.substr(position_);
    std::size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) {
        out = GbkText(rest);
        position_ = bytes_.size();
    } else {
        out = GbkText(rest.substr(0, nul));
        position_ += nul + 1;
    }
    return true;
}

bool HandOffReader::read_block(ByteBuffer& out) {
    std::size_t left = bytes_.size() - position_;
    if (left < 4) return false;
    std::uint32_t raw = 0;
    for (int i = 3; i >= 0; --i)
        raw = (raw << 8) | static_cast<unsigned char>(bytes_[position_ + static_cast<std::size_t>(i)]);
    auto count = static_cast<std::int32_t>(raw);
    if (count < 0 || static_cast<std::size_t>(count) > left - 4) return false;
    out = ByteBuffer(bytes_.substr(position_ + 4, static_cast<std::size_t>(count)));
    position_ += 4 + static_cast<std::size_t>(count);
    return true;
}

void HandOffWriter::write_text(const GbkText& text) {
    bytes_.append(text.view());
    bytes_.append(std::string_view("\0", 1));
}

void HandOffWriter::write_block(std::string_view bytes) {
    constexpr std::size_t kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    if (bytes.size() > kMax) bytes = bytes.substr(0, kMax);
    auto count = static_cast<std::uint32_t>(bytes.size());
    char le[4];
    for (int i = 0; i < 4; ++i) le[i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    bytes_.append(std::string_view(le, 4));
    bytes_.append(bytes);
}

ByteBuffer encode_request_record(const FetchRequest& request) {
    HandOffWriter writer;
    writer.write_text(GbkText(kRequestMagic));
    for (const GbkText* field : {&request.url, &request.verb, &request.proxy, &request.user_name,
                                 &request.password, &request.extra_headers, &request.post_data})
        writer.write_text(*field);
    return std::move(writer).take();
}

RequestRecord decode_request_record(std::string_view bytes) {
    RequestRecord record;
    HandOffReader reader(bytes);
    for (GbkText* field : {&record.magic, &record.url, &record.verb, &record.proxy,
                           &record.user_name, &record.password, &record.extra_headers,
                           &record.post_data}) {
        if (!reader.read_text(*field)) break;
    }
    return record;
}

ByteBuffer encode_reply_record(const GbkText& raw_headers, std::string_view body) {
    HandOffWriter writer;
    writer.write_text(GbkText(kReplyMagic));
    writer.write_text(raw_headers);
    writer.write_block(body);
    return std::move(writer).take();
}

ReplyRecord decode_reply_record(std::string_view bytes) {
    ReplyRecord record;
    HandOffReader reader(bytes);
    if (reader.read_text(record.status) && reader.read_text(record.raw_headers))
        reader.read_block(record.body);
    return record;
}

}  // namespace lanyi
