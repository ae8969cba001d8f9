// The character-walking text primitives against naive versions of their
// rules; the byte cuts against plain sub-ranges; numbers and code pages for
// crashes and undefined behaviour. Every text that comes out holds no zero.
#include <cmath>
#include <cstring>

#include "fuzz_input.h"
#include "naive_text.h"
#include "text/code_page.h"
#include "text/text_ops.h"

using namespace lanyi;
using namespace lanyi::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int start = in.number();
    const int count = in.number();
    const bool flag = in.flag();
    const GbkText text = in.text();
    const GbkText other = in.text();
    const GbkText third = in.text();
    const std::string_view t = text.view();

    // Cuts are sub-ranges.
    check(gbk_left(text, count).view() == t.substr(0, count <= 0 ? 0 : static_cast<std::size_t>(count)), "left");
    {
        std::size_t k = count <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(count), t.size());
        check(gbk_right(text, count).view() == t.substr(t.size() - k), "right");
    }
    check(gbk_mid(text, start, count).str() == naive_mid(t, start, count), "mid");
    check(gbk_length(text) == static_cast<int>(t.size()), "length");

    // Searches: the same answer as the naive walk, always in range.
    for (bool ignore_case : {false, true}) {
        const int found = gbk_find(text, other, start, ignore_case);
        check(found == naive_find(t, other.view(), start, ignore_case), "find vs naive");
        check(found == -1 || (found >= 1 && static_cast<std::size_t>(found) <= t.size()), "find in range");
    }

    const GbkText replaced = gbk_replace(text, other, third, start, count, flag);
    check(replaced.str() == naive_replace(t, other.view(), third.view(), start, count, flag), "replace vs naive");
    check_no_zero(replaced, "replace");

    {
        const GbkText ranged = gbk_replace_range(text, start, count, third);
        std::size_t s = std::min(scan_from(start), t.size());
        std::size_t k = count <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(count), t.size() - s);
        check(ranged.str() == std::string(t.substr(0, s)) + third.str() + std::string(t.substr(s + k)),
              "replace_range");
    }

    const std::vector<GbkText> pieces = gbk_split(text, other, count);
    const std::vector<std::string> expected = naive_split(t, other.view(), count);
    check(pieces.size() == expected.size(), "split count");
    for (std::size_t i = 0; i < pieces.size() && i < expected.size(); ++i)
        check(pieces[i].str() == expected[i], "split piece");

    const GbkText spaceless = gbk_remove_spaces(text);
    check(spaceless.str() == naive_remove_spaces(t), "remove_spaces vs naive");
    check(gbk_is_blank(text) == spaceless.empty(), "is_blank");
    check(gbk_upper(text).str() == naive_case(t, true), "upper");
    check(gbk_lower(text).str() == naive_case(t, false), "lower");

    // Numbers: any text converts, and the conversions back stay defined.
    const double value = gbk_to_number(text);
    (void)real_to_int(value);
    const GbkText written = real_to_gbk(value);
    check(!written.empty(), "real_to_gbk");
    if (std::isfinite(value) && std::fabs(value) < 1e300)
        check(std::fabs(gbk_to_number(written) - value) <= 1e-9 * std::max(1.0, std::fabs(value)), "number round trip");
    check(int_to_gbk(start).str() == std::to_string(start), "int_to_gbk");
    check(gbk_from_byte(count).size() == ((count & 0xFF) == 0 ? 0u : 1u), "from_byte");

    // Code pages: any bytes convert, and GBK that came from UTF-8 holds no zero.
    const std::string utf8 = gbk_to_utf8(text);
    check(utf8.find('\0') == std::string::npos, "gbk_to_utf8 zero");
    check_no_zero(utf8_to_gbk(in.rest()), "utf8_to_gbk");

    // Texts and buffers.
    const ByteBuffer raw(std::string_view(reinterpret_cast<const char*>(data), size));
    const GbkText head = bytes_to_gbk(raw);
    check(raw.view().substr(0, head.size()) == head.view(), "bytes_to_gbk prefix");
    check(head.size() == raw.size() || raw.view()[head.size()] == '\0', "bytes_to_gbk stops at zero");
    check(bytes_head(raw, count).size() == (count <= 0 ? 0u : std::min<std::size_t>(count, raw.size())), "bytes_head");
    return 0;
}
