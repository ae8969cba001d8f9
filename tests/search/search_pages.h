// Result page snippets in the shape the search site sends.
#pragma once

#include <string>

namespace lanyi::testing_support {

// One company block, ended by the "成立时间" separator. An empty id leaves
// out the id marker.
inline std::string company_block(const std::string& name, const std::string& id) {
    std::string b = "<li><a onclick=\"log(1);\" target=\"_blank\" title=\"" + name + "\" >" + name + "</a>";
    if (!id.empty()) b += "<a exposurelog=\"" + id + "\" href=\"http://" + id + ".shop/\">店铺</a>";
    return b + "<span>成立时间：2008</span></li>";
}

// The first answer of a result page: blocks inside the useful fragment,
// `outside` after it (never harvested).
inline std::string first_answer(const std::string& inside, const std::string& outside = "") {
    return "<html><h1>发发在线" + inside + "来澜驿做生意</h1>" + outside + "</html>";
}

inline std::string totals_page(int pages, int total) {
    return "<div class=\"total\">共" + std::to_string(pages) + "页</div><p>共找到" + std::to_string(total) +
           "条结果</p>";
}

}  // namespace lanyi::testing_support
