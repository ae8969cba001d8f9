// The word tables the demo directory draws names and contact data from, in
// GBK, converted once on first use. Immutable; safe from any thread.
#pragma once

#include <string_view>
#include <vector>

#include "text/gbk_text.h"

namespace lanyi {

struct DemoWords {
    std::vector<GbkText> brands;        // company brand words
    std::vector<std::string_view> stems;  // id stems, one per brand, none a prefix of another
    std::vector<GbkText> cities;
    std::vector<GbkText> suffixes;      // company kinds without the filter word
    std::vector<GbkText> trade_suffixes;  // company kinds with "贸易"
    std::vector<GbkText> surnames;
    std::vector<GbkText> titles;
    std::vector<GbkText> given_names;
    std::vector<GbkText> provinces;
    std::vector<GbkText> districts;
    std::vector<GbkText> roads;
    std::vector<std::string_view> mail_domains;
    GbkText full_width_space;
    GbkText full_width_comma;
    GbkText road_number;  // "号"
    GbkText building;     // "栋"
    GbkText room;         // "室"
};

const DemoWords& demo_words();

}  // namespace lanyi
