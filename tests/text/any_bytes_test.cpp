// Every operation takes any bytes: random texts over all non-zero byte values,
// with counts and starts at the ends of the int range. Run under the address
// sanitizer this also checks that nothing reads outside its input.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

#include "text/code_page.h"
#include "text/extract.h"
#include "text/text_ops.h"
#include "gbk_printer.h"

namespace lanyi {
namespace {

class AnyBytes : public testing::Test {
protected:
    GbkText random_text(std::size_t max_length) {
        std::uniform_int_distribution<std::size_t> length(0, max_length);
        std::uniform_int_distribution<int> byte(1, 255);
        std::string text(length(random_), ' ');
        for (char& c : text) c = static_cast<char>(byte(random_));
        return GbkText(std::move(text));
    }

    int random_count() {
        static constexpr int kCounts[] = {INT_MIN, -1, 0, 1, 2, 3, 7, INT_MAX};
        return kCounts[random_() % std::size(kCounts)];
    }

    std::mt19937 random_{99};
};

TEST_F(AnyBytes, OperationsKeepTheirInvariants) {
    for (int i = 0; i < 5000; ++i) {
        const GbkText text = random_text(40);
        const GbkText other = random_text(3);
        const int n = random_count();
        const int start = random_count();
        SCOPED_TRACE(testing::PrintToString(text));

        EXPECT_LE(gbk_mid(text, start, n).size(), text.size());
        EXPECT_EQ(gbk_left(text, n).size() + gbk_right(text, n).size(),
                  2 * std::min<std::size_t>(text.size(), n < 0 ? 0 : static_cast<std::size_t>(n)));
        int found = gbk_find(text, other, start, i % 2 == 0);
        EXPECT_TRUE(found == -1 || (found >= 1 && found <= gbk_length(text)));

        EXPECT_EQ(gbk_upper(text).size(), text.size());
        EXPECT_EQ(gbk_lower(gbk_upper(text)), gbk_lower(text));
        EXPECT_LE(gbk_remove_spaces(text).size(), text.size());
        EXPECT_EQ(gbk_is_blank(text), gbk_remove_spaces(text).empty());

        GbkText joined;
        for (const GbkText& piece : gbk_split(text, other, n)) joined = joined + piece;
        EXPECT_LE(joined.size(), text.size());

        GbkText between = text_between(text, other, random_text(2), start, i % 3 == 0);
        EXPECT_NE(text.view().find(between.view()), std::string_view::npos);
        EXPECT_EQ(url_encode(text).size(), 3 * text.size());

        gbk_replace(text, other, random_text(2), start, n, i % 2 == 0);
        gbk_replace_range(text, start, n, other);
        gbk_to_number(text);
        EXPECT_EQ(gbk_to_utf8(text).find('\0'), std::string::npos);
        utf8_to_gbk(text.view());
    }
}

}  // namespace
}  // namespace lanyi
