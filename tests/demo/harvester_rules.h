// The contact fields read from a company page the way the harvester reads
// them, written out here with text_between so the demo data is checked
// against the rules, not against itself.
#pragma once

#include "demo/demo_directory.h"
#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi::testing {

inline DemoContacts read_contacts_like_the_harvester(const GbkText& page) {
    auto take = [&](const char* start, const char* end) {
        return gbk_remove_spaces(text_between(page, gbk(start), gbk(end)));
    };
    auto number = [&](const char* label, const char* labelled) {
        GbkText value = take(label, "\"");
        return value.empty() || value.size() > 25 ? take(labelled, "</li>") : value;
    };
    DemoContacts v;
    v.contact = take("><span title=\"", "\"");
    if (v.contact.empty()) v.contact = take("联系人：</span>", "</li>");
    v.mobile = number("手机：", "手机：</span>");
    v.telephone = number("电话：", "电话：</span>");
    v.fax = number("传真：", "传真：</span>");
    v.email = take("邮件:</font>", "</li>");
    if (v.email.empty()) v.email = take("电子邮箱：&nbsp;", "</li>");
    v.qq = take("&uin=", "&");
    if (v.qq.size() > 15) v.qq = take("&uin=", "\"");
    v.address = take(";&nbsp;址：", "<");
    if (v.address.empty()) v.address = take("地址：</span>", "</li>");
    return v;
}

}  // namespace lanyi::testing
