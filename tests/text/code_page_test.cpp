#include "text/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "gbk_printer.h"

namespace lanyi {
namespace {

TEST(CodePage, ConvertsBothWays) {
    EXPECT_EQ(gbk("中国"), GbkText("\xD6\xD0\xB9\xFA"));
    EXPECT_EQ(gbk("啊ab１"), GbkText("\xB0\xA1" "ab\xA3\xB1"));
    EXPECT_EQ(gbk(""), GbkText());
    const std::string utf8 = "杭州某某机械有限公司，电话：0571-88886666。";
    EXPECT_EQ(gbk_to_utf8(gbk(utf8)), utf8);
    EXPECT_EQ(gbk_to_utf8(GbkText()), "");
}

TEST(CodePage, EncodingNeverFails) {
    EXPECT_EQ(utf8_to_gbk("a\xF0\x9F\x98\x80" "b"), GbkText("a?b"));  // no such character in GBK
    EXPECT_EQ(utf8_to_gbk("a\xFF" "b"), GbkText("a?b"));
    EXPECT_EQ(utf8_to_gbk("\xE4\xB8"), GbkText("??"));    // cut short
    EXPECT_EQ(utf8_to_gbk("\xC0\xAF"), GbkText("??"));    // overlong
    EXPECT_EQ(utf8_to_gbk("\xED\xA0\x80"), GbkText("???"));  // surrogate
    EXPECT_EQ(utf8_to_gbk(std::string_view("a\0b", 3)), GbkText("a"));
}

TEST(CodePage, DecodingNeverFails) {
    const std::string bad = "\xEF\xBF\xBD";  // U+FFFD
    EXPECT_EQ(gbk_to_utf8(GbkText("\xFF")), bad);
    EXPECT_EQ(gbk_to_utf8(GbkText("a\xB0")), "a" + bad);          // lead byte at the end
    EXPECT_EQ(gbk_to_utf8(GbkText("\xB0 x")), bad + " x");         // bad second byte
    EXPECT_EQ(gbk_to_utf8(GbkText("\x81\x30\x81\x30")), "\xC2\x80");  // four-byte form
}

TEST(CodePage, ThreadsConvertIndependently) {
    const std::string utf8 = "公司名称：某某贸易有限公司 Tel 12345";
    const GbkText expected = gbk(utf8);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                if (gbk(utf8) != expected || gbk_to_utf8(expected) != utf8) ++failures[t];
                if (gbk_to_utf8(GbkText("\xFF")) != "\xEF\xBF\xBD") ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace lanyi
