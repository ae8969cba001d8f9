// Checks the fast search paths against a direct character-by-character walk
// on many small random texts built from bytes that stress the lead-byte rule
// and letter folding.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_ops.h"
#include "gbk_printer.h"

namespace lanyi {
namespace {

bool lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

unsigned char fold(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + 32) : b;
}

bool same(std::string_view a, std::string_view b, bool ignore_case) {
    if (!ignore_case) return a == b;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

int walk_find(std::string_view t, std::string_view needle, int start, bool ignore_case) {
    long long s = std::max(0LL, static_cast<long long>(start) - 1);
    if (s >= static_cast<long long>(t.size())) return -1;
    if (needle.empty()) return 1;
    for (std::size_t p = static_cast<std::size_t>(s); p < t.size(); p += lead(t[p]) ? 2 : 1) {
        if (lead(t[p]) && p + 1 == t.size()) return -1;
        if (t.size() - p < needle.size()) return -1;
        if (same(t.substr(p, needle.size()), needle, ignore_case)) return static_cast<int>(p) + 1;
    }
    return -1;
}

std::string walk_replace(std::string_view t, std::string_view old_text, std::string_view new_text,
                         int start, int count, bool case_sensitive) {
    std::size_t s = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (t.empty() || old_text.empty() || s >= t.size() || count == 0) return std::string(t);
    std::string out(t.substr(0, s));
    std::size_t p = s;
    long long left = count < 0 ? -1 : count;
    while (t.size() - p >= old_text.size() && left != 0) {
        if (lead(t[p]) && p + 1 == t.size()) {
            p = t.size();  // dropped
            break;
        }
        if (same(t.substr(p, old_text.size()), old_text, !case_sensitive)) {
            out.append(new_text);
            p += old_text.size();
            if (left > 0) --left;
            continue;
        }
        std::size_t step = lead(t[p]) ? 2 : 1;
        out.append(t.substr(p, step));
        p += step;
    }
    out.append(t.substr(std::min(p, t.size())));
    return out;
}

std::vector<std::string> walk_split(std::string_view t, std::string_view delimiter, int max_pieces) {
    std::vector<std::string> pieces;
    if (t.empty() || max_pieces == 0) return pieces;
    if (delimiter.empty()) return {std::string(t)};
    std::size_t piece_start = 0, p = 0;
    while (p < t.size()) {
        if (lead(t[p]) && p + 1 == t.size()) break;
        if (t.size() - p >= delimiter.size() && t.substr(p, delimiter.size()) == delimiter) {
            pieces.emplace_back(t.substr(piece_start, p - piece_start));
            p += delimiter.size();
            piece_start = p;
            if (max_pieces > 0 && static_cast<int>(pieces.size()) == max_pieces) return pieces;
            continue;
        }
        p += lead(t[p]) ? 2 : 1;
    }
    if (piece_start < t.size()) pieces.emplace_back(t.substr(piece_start));
    return pieces;
}

std::string walk_remove_spaces(std::string_view t) {
    std::string out;
    for (std::size_t p = 0; p < t.size();) {
        if (!lead(t[p])) {
            if (t[p] != ' ') out.push_back(t[p]);
            ++p;
        } else if (p + 1 == t.size()) {
            break;
        } else {
            if (t.substr(p, 2) != "\xA1\xA1") out.append(t.substr(p, 2));
            p += 2;
        }
    }
    return out;
}

class CharacterWalk : public testing::Test {
protected:
    std::string random_text(std::size_t max_length) {
        static constexpr char kBytes[] = {'a', 'A', 'b', 'B', ',', ' ', '<', '\xB0', '\xA1', '\x80', '\xFF'};
        std::uniform_int_distribution<std::size_t> length(0, max_length);
        std::uniform_int_distribution<std::size_t> pick(0, sizeof kBytes - 1);
        std::string text(length(random_), ' ');
        for (char& c : text) c = kBytes[pick(random_)];
        return text;
    }

    // Often a piece of the text itself, so that matches occur.
    std::string random_needle(const std::string& text) {
        if (!text.empty() && random_() % 2 == 0) {
            std::size_t at = random_() % text.size();
            return text.substr(at, 1 + random_() % 4);
        }
        return random_text(4);
    }

    int random_start(const std::string& text) {
        return static_cast<int>(random_() % (text.size() + 4)) - 2;
    }

    std::mt19937 random_{20240611};
};

TEST_F(CharacterWalk, FindMatchesTheWalk) {
    for (int i = 0; i < 30000; ++i) {
        std::string text = random_text(24);
        std::string needle = random_needle(text);
        int start = random_start(text);
        bool ignore_case = i % 2 == 1;
        ASSERT_EQ(gbk_find(GbkText(text), GbkText(needle), start, ignore_case),
                  walk_find(text, needle, start, ignore_case))
            << testing::PrintToString(GbkText(text)) << " needle " << testing::PrintToString(GbkText(needle))
            << " start " << start << " ignore_case " << ignore_case;
    }
}

TEST_F(CharacterWalk, ReplaceMatchesTheWalk) {
    for (int i = 0; i < 20000; ++i) {
        std::string text = random_text(24);
        std::string old_text = random_needle(text);
        std::string new_text = random_text(3);
        int start = random_start(text);
        int count = static_cast<int>(random_() % 5) - 1;
        bool case_sensitive = i % 2 == 0;
        ASSERT_EQ(gbk_replace(GbkText(text), GbkText(old_text), GbkText(new_text), start, count,
                              case_sensitive),
                  GbkText(walk_replace(text, old_text, new_text, start, count, case_sensitive)))
            << testing::PrintToString(GbkText(text)) << " old " << testing::PrintToString(GbkText(old_text))
            << " start " << start << " count " << count;
    }
}

TEST_F(CharacterWalk, SplitMatchesTheWalk) {
    for (int i = 0; i < 20000; ++i) {
        std::string text = random_text(24);
        std::string delimiter = random_needle(text).substr(0, 2);
        int max_pieces = static_cast<int>(random_() % 5) - 1;
        std::vector<GbkText> expected;
        for (const auto& piece : walk_split(text, delimiter, max_pieces)) expected.emplace_back(piece);
        ASSERT_EQ(gbk_split(GbkText(text), GbkText(delimiter), max_pieces), expected)
            << testing::PrintToString(GbkText(text)) << " delimiter "
            << testing::PrintToString(GbkText(delimiter)) << " max " << max_pieces;
    }
}

TEST_F(CharacterWalk, SpaceRemovalAndBlanknessMatchTheWalk) {
    for (int i = 0; i < 20000; ++i) {
        std::string text = random_text(12);
        GbkText expected(walk_remove_spaces(text));
        ASSERT_EQ(gbk_remove_spaces(GbkText(text)), expected) << testing::PrintToString(GbkText(text));
        ASSERT_EQ(gbk_is_blank(GbkText(text)), expected.empty()) << testing::PrintToString(GbkText(text));
    }
}

}  // namespace
}  // namespace lanyi
