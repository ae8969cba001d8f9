#include "contacts/extract_contacts.h"

#include <utility>
#include <vector>

#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

constexpr int kNumberLimit = 25;  // mobile, telephone, fax: longer means the primary cut ran on
constexpr int kQQLimit = 15;
constexpr int kMobileLength = 11;

enum class Fallback { WhenEmpty, WhenEmptyOrLong, WhenLong };

struct FieldMarkers {
    GbkText start, end, fallback_start, fallback_end;
    Fallback when;
    int limit = 0;
};

struct PageMarkers {
    FieldMarkers contact, mobile, telephone, fax, email, qq, address;
};

const PageMarkers& markers() {
    static const PageMarkers m{
        {gbk("><span title=\""), gbk("\""), gbk("联系人：</span>"), gbk("</li>"), Fallback::WhenEmpty},
        {gbk("手机："), gbk("\""), gbk("手机：</span>"), gbk("</li>"), Fallback::WhenEmptyOrLong,
         kNumberLimit},
        {gbk("电话："), gbk("\""), gbk("电话：</span>"), gbk("</li>"), Fallback::WhenEmptyOrLong,
         kNumberLimit},
        {gbk("传真："), gbk("\""), gbk("传真：</span>"), gbk("</li>"), Fallback::WhenEmptyOrLong,
         kNumberLimit},
        {gbk("邮件:</font>"), gbk("</li>"), gbk("电子邮箱：&nbsp;"), gbk("</li>"), Fallback::WhenEmpty},
        {gbk("&uin="), gbk("&"), gbk("&uin="), gbk("\""), Fallback::WhenLong, kQQLimit},
        {gbk(";&nbsp;址："), gbk("<"), gbk("地址：</span>"), gbk("</li>"), Fallback::WhenEmpty},
    };
    return m;
}

GbkText cut(const GbkText& page, const GbkText& start, const GbkText& end) {
    return gbk_remove_spaces(text_between(page, start, end));
}

GbkText field(const GbkText& page, const FieldMarkers& m) {
    GbkText value = cut(page, m.start, m.end);
    const bool too_long = m.limit > 0 && gbk_length(value) > m.limit;
    bool fall_back = false;
    switch (m.when) {
        case Fallback::WhenEmpty: fall_back = value.empty(); break;
        case Fallback::WhenEmptyOrLong: fall_back = value.empty() || too_long; break;
        case Fallback::WhenLong: fall_back = too_long; break;
    }
    // The fallback replaces the primary value even when it finds nothing.
    return fall_back ? cut(page, m.fallback_start, m.fallback_end) : value;
}

bool starts_with(const GbkText& text, char c) { return !text.empty() && text.view().front() == c; }

GbkText without_crlf(const GbkText& text) {
    static const GbkText crlf("\r\n");
    return gbk_replace(text, crlf);
}

}  // namespace

ContactFields extract_fields(const GbkText& page) {
    const PageMarkers& m = markers();
    ContactFields f;
    f.contact = field(page, m.contact);
    f.mobile = field(page, m.mobile);
    f.telephone = field(page, m.telephone);
    f.fax = field(page, m.fax);
    f.email = field(page, m.email);
    f.qq = field(page, m.qq);
    f.address = field(page, m.address);
    return f;
}

void apply_number_rules(ContactFields& f, bool swap, bool strong_mobile) {
    if (swap && (starts_with(f.mobile, '0') || starts_with(f.telephone, '1')))
        std::swap(f.mobile, f.telephone);
    if (strong_mobile && (!starts_with(f.mobile, '1') || gbk_length(f.mobile) < kMobileLength))
        f.mobile = GbkText();
}

std::optional<CheckBox> missing_required_field(const ContactFields& f, Window& window) {
    const std::pair<CheckBox, const GbkText*> tests[] = {
        {CheckBox::RequireContact, &f.contact}, {CheckBox::RequireMobile, &f.mobile},
        {CheckBox::RequireTelephone, &f.telephone}, {CheckBox::RequireFax, &f.fax},
        {CheckBox::RequireEmail, &f.email},     {CheckBox::RequireQQ, &f.qq},
        {CheckBox::RequireAddress, &f.address},
    };
    for (const auto& [box, value] : tests)
        if (value->empty() && window.is_checked(box)) return box;
    return std::nullopt;
}

bool clear_row(ResultList& list, RowKey row) {
    return list.set_cells(row, 0, std::vector<GbkText>(kColumnCount));
}

void extract_contacts(Harvest& harvest, const GbkText& page, RowKey row) {
    Window& window = harvest.window;
    ContactFields f = extract_fields(page);
    const bool swap = window.is_checked(CheckBox::SwapNumbers);
    const bool strong = window.is_checked(CheckBox::StrongMobile);
    apply_number_rules(f, swap, strong);

    if (missing_required_field(f, window)) {
        clear_row(harvest.list(), row);
        harvest.counters.filtered.fetch_add(1);
        return;
    }
    std::vector<GbkText> cells;
    cells.reserve(7);
    for (const GbkText& value : f.columns()) cells.push_back(without_crlf(value));
    harvest.list().set_cells(row, kColContact, cells);
    harvest.counters.valid.fetch_add(1);
}

}  // namespace lanyi
