// The hand-off record readers on arbitrary bytes: never out of bounds, no
// zero byte in any text read, and whatever they read encodes and reads back
// the same.
#include "fetch/handoff.h"
#include "fuzz_input.h"

using namespace lanyi;
using namespace lanyi::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const RequestRecord request = decode_request_record(bytes);
    const GbkText* fields[] = {&request.magic,    &request.url,           &request.verb,     &request.proxy,
                               &request.user_name, &request.password, &request.extra_headers, &request.post_data};
    std::size_t total = 0;
    for (const GbkText* field : fields) {
        check_no_zero(*field, "request field");
        total += field->size();
    }
    check(total <= size, "request fields come from the input");
    if (request.has_magic()) {
        FetchRequest again;
        again.url = request.url;
        again.verb = request.verb;
        again.proxy = request.proxy;
        again.user_name = request.user_name;
        again.password = request.password;
        again.extra_headers = request.extra_headers;
        again.post_data = request.post_data;
        const RequestRecord round = decode_request_record(encode_request_record(again).view());
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            const GbkText* back[] = {&round.magic,    &round.url,       &round.verb,          &round.proxy,
                                     &round.user_name, &round.password, &round.extra_headers, &round.post_data};
            check(*back[i] == *fields[i], "request round trip");
        }
    }

    const ReplyRecord reply = decode_reply_record(bytes);
    check_no_zero(reply.status, "reply status");
    check_no_zero(reply.raw_headers, "reply headers");
    check(reply.status.size() + reply.raw_headers.size() + reply.body.size() <= size, "reply from the input");
    if (!reply.body.empty()) check(bytes.find(reply.body.view()) != std::string_view::npos, "body is a piece");
    if (reply.is_ok()) {
        const ReplyRecord round = decode_reply_record(encode_reply_record(reply.raw_headers, reply.body.view()).view());
        check(round.is_ok() && round.raw_headers == reply.raw_headers && round.body == reply.body,
              "reply round trip");
    }

    // The reader by hand, fields of both kinds in any order.
    HandOffReader reader(bytes);
    FuzzInput choices(data, size);
    for (int i = 0; i < 64; ++i) {
        const std::size_t before = reader.position();
        bool ok;
        if (choices.flag()) {
            GbkText text;
            ok = reader.read_text(text);
            check_no_zero(text, "read_text");
        } else {
            ByteBuffer block;
            ok = reader.read_block(block);
            check(!ok || reader.position() == before + 4 + block.size(), "block advance");
        }
        check(reader.position() <= size, "position in range");
        check(ok ? reader.position() > before : reader.position() == before, "position moves on success only");
        if (!ok && reader.position() >= size) break;
    }
    return 0;
}
