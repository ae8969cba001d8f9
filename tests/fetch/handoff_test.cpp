#include "fetch/handoff.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace lanyi {
namespace {

using namespace std::string_literals;

TEST(HandOff, RequestRecordRoundTripsEveryField) {
    FetchRequest request;
    request.url = GbkText("http://search.lanyi.test/?w=led");
    request.verb = GbkText("post");
    request.proxy = GbkText("127.0.0.1:8080");
    request.user_name = GbkText("user");
    request.password = GbkText("");
    request.extra_headers = GbkText("X-A: 1\r\n");
    request.post_data = gbk("a=中文");

    ByteBuffer bytes = encode_request_record(request);
    EXPECT_EQ(bytes.view().substr(0, 8), "Quorbit\0"s);

    RequestRecord record = decode_request_record(bytes.view());
    EXPECT_TRUE(record.has_magic());
    EXPECT_EQ(record.url, request.url);
    EXPECT_EQ(record.verb, request.verb);
    EXPECT_EQ(record.proxy, request.proxy);
    EXPECT_EQ(record.user_name, request.user_name);
    EXPECT_TRUE(record.password.empty());
    EXPECT_EQ(record.extra_headers, request.extra_headers);
    EXPECT_EQ(record.post_data, request.post_data);
}

TEST(HandOff, ReplyRecordKeepsZeroBytesInTheBody) {
    std::string body = "a\0b\0\xFF"s;
    ByteBuffer bytes = encode_reply_record(GbkText("HTTP/1.1 200 OK\r\n\r\n"), body);
    EXPECT_EQ(bytes.view().substr(0, 11), "Quorbit_OK\0"s);
    ReplyRecord reply = decode_reply_record(bytes.view());
    EXPECT_TRUE(reply.is_ok());
    EXPECT_EQ(reply.raw_headers.view(), "HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_EQ(reply.body.view(), body);
}

struct ReplyCase {
    const char* what;
    std::string bytes;
    std::string status;
    std::string headers;
    std::string body;
};

TEST(HandOff, ReplyReadingRules) {
    const ReplyCase cases[] = {
        {"nothing at all", "", "", "", ""},
        {"status cut short: the bytes so far", "Quorbit", "Quorbit", "", ""},
        {"no byte left for the headers", "Quorbit_OK\0"s, "Quorbit_OK", "", ""},
        {"headers without their NUL", "Quorbit_OK\0H: 1"s, "Quorbit_OK", "H: 1", ""},
        {"count of three bytes", "Quorbit_OK\0h\0\x02\0\0"s, "Quorbit_OK", "h", ""},
        {"count beyond the bytes left", "Quorbit_OK\0h\0\x05\0\0\0abcd"s, "Quorbit_OK", "h", ""},
        {"negative count", "Quorbit_OK\0h\0\xFF\xFF\xFF\xFF"s, "Quorbit_OK", "h", ""},
        {"count exactly fits", "Quorbit_OK\0h\0\x04\0\0\0abcd"s, "Quorbit_OK", "h", "abcd"},
        {"bytes after the block ignored", "Quorbit_OK\0h\0\x01\0\0\0abcd"s, "Quorbit_OK", "h", "a"},
        {"empty block", "Quorbit_OK\0\0\0\0\0\0"s, "Quorbit_OK", "", ""},
        {"wrong magic still read", "Quorbit_NO\0h\0\x01\0\0\0x"s, "Quorbit_NO", "h", "x"},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.what);
        ReplyRecord reply = decode_reply_record(c.bytes);
        EXPECT_EQ(reply.status.view(), c.status);
        EXPECT_EQ(reply.raw_headers.view(), c.headers);
        EXPECT_EQ(reply.body.view(), c.body);
    }
    EXPECT_FALSE(decode_reply_record("Quorbit_NO\0"s).is_ok());
    EXPECT_FALSE(decode_reply_record("Quorbit_O").is_ok());
}

TEST(HandOff, RequestReadingStopsAtTheFirstMissingField) {
    RequestRecord record = decode_request_record("Quorbit\0http://a/\0GET"s);
    EXPECT_TRUE(record.has_magic());
    EXPECT_EQ(record.url.view(), "http://a/");
    EXPECT_EQ(record.verb.view(), "GET");
    EXPECT_TRUE(record.proxy.empty());
    EXPECT_TRUE(record.post_data.empty());

    EXPECT_FALSE(decode_request_record("Quorbi").has_magic());
    EXPECT_FALSE(decode_request_record("Quorbit_OK\0"s).has_magic());
}

// Every prefix of a valid record, and random bytes, read without fault; a
// prefix never yields a field the full record does not have.
TEST(HandOff, ReadersAcceptAnyBytes) {
    ByteBuffer full = encode_reply_record(GbkText("HTTP/1.1 200 OK\r\n"), "body bytes");
    for (std::size_t n = 0; n <= full.size(); ++n) {
        ReplyRecord part = decode_reply_record(full.view().substr(0, n));
        EXPECT_TRUE(part.body.empty() || n == full.size()) << n;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 64, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 6 == 0 ? 0 : random());
        decode_reply_record(bytes);
        decode_request_record(bytes);
    }
}

}  // namespace
}  // namespace lanyi
