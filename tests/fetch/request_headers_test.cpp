#include "fetch/request_headers.h"

#include <gtest/gtest.h>

namespace lanyi {
namespace {

const char* const kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

TEST(RequestHeaders, VerbChoice) {
    struct {
        const char* verb;
        std::optional<HttpVerb> want;
    } cases[] = {
        {"", HttpVerb::Get},     {"GET", HttpVerb::Get}, {"gEt", HttpVerb::Get}, {"POST", HttpVerb::Post},
        {"post", HttpVerb::Post}, {"PUT", std::nullopt}, {"GET ", std::nullopt}, {"HEAD", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_verb(GbkText(c.verb)), c.want) << c.verb;
}

TEST(RequestHeaders, DefaultLinesInOrder) {
    GbkText url("http://abc.shop.lanyi.test/shop/company.html");
    GbkText headers = build_request_headers({}, url, HttpVerb::Get, {});
    EXPECT_EQ(headers.str(), std::string(kAccept) + "Referer: " + url.str() + "\r\nAccept-Language: zh-cn\r\n");
}

TEST(RequestHeaders, NamesAlreadyPresentAreNotAddedAgain) {
    GbkText url("http://h/");
    const std::string referer = "Referer: http://h/\r\n", language = "Accept-Language: zh-cn\r\n";
    struct {
        std::string extra;
        std::string want;
    } cases[] = {
        // A lower-case accept line still counts as the Accept header.
        {"accept: text/plain\r\n", "accept: text/plain\r\n" + referer + language},
        {"REFERER: x\r\n", "REFERER: x\r\n" + std::string(kAccept) + language},
        {"X-Other: 1\r\n", "X-Other: 1\r\n" + std::string(kAccept) + referer + language},
    };
    for (const auto& c : cases)
        EXPECT_EQ(build_request_headers(GbkText(c.extra), url, HttpVerb::Get, {}).str(), c.want) << c.extra;
}

TEST(RequestHeaders, PostWithDataEndsWithTypeAndLength) {
    GbkText url("http://h/");
    GbkText post = build_request_headers({}, url, HttpVerb::Post, GbkText("a=1&b=2"));
    const std::string tail = "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 7\r\n";
    ASSERT_GE(post.size(), tail.size());
    EXPECT_EQ(post.str().substr(post.size() - tail.size()), tail);

    // A given Content-Type is kept; the length line comes regardless.
    GbkText typed = build_request_headers(GbkText("content-type: text/plain\r\n"), url, HttpVerb::Post,
                                          GbkText("xyz"));
    EXPECT_EQ(typed.str().find("Content-Type: application"), std::string::npos);
    EXPECT_NE(typed.str().find("Content-Length: 3\r\n"), std::string::npos);

    for (auto [verb, data] : {std::pair{HttpVerb::Post, ""}, std::pair{HttpVerb::Get, "a=1"}}) {
        GbkText none = build_request_headers({}, url, verb, GbkText(data));
        EXPECT_EQ(none.str().find("Content-"), std::string::npos);
    }
}

}  // namespace
}  // namespace lanyi
