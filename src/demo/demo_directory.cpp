#include "demo/demo_directory.h"

#include <algorithm>
#include <string>

#include "demo/demo_random.h"
#include "demo/demo_words.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

constexpr std::uint64_t kTagSpace = 36ULL * 36 * 36 * 36;

std::string base36(std::uint64_t value, int width) {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string out(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = kDigits[value % 36];
        value /= 36;
    }
    return out;
}

template <class T>
const T& pick(DemoRandom& r, const std::vector<T>& list) {
    return list[r.below(list.size())];
}

std::string digits(DemoRandom& r, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += static_cast<char>('0' + r.below(10));
    return out;
}

// The keyword as it can stand inside a company name on a result page: whole
// GBK characters only, no quotes or angle brackets, and none of the page's
// structure markers, so a name never cuts or fakes a block.
GbkText name_keyword(const GbkText& keyword) {
    std::string kept;
    std::string_view bytes = keyword.view();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F) {
            if (c != '"' && c != '<' && c != '>' && c != '&') kept += static_cast<char>(c);
        } else if (c >= 0x81 && c <= 0xFE && i + 1 < bytes.size()) {
            auto t = static_cast<unsigned char>(bytes[i + 1]);
            if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
                kept += static_cast<char>(c);
                kept += static_cast<char>(t);
                ++i;
            }
        }
    }
    static const GbkText markers[] = {gbk("成立时间"), gbk("发发在线"), gbk("来澜驿做生意")};
    GbkText text(std::move(kept));
    for (bool changed = true; changed;) {
        changed = false;
        for (const GbkText& marker : markers) {
            GbkText cut = gbk_replace(text, marker);
            if (!(cut == text)) {
                text = std::move(cut);
                changed = true;
            }
        }
    }
    return text;
}

bool has_ascii_letter(const GbkText& text) {
    return std::any_of(text.view().begin(), text.view().end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

GbkText join(std::initializer_list<GbkText> parts) {
    std::string out;
    for (const GbkText& part : parts) out.append(part.view());
    return GbkText(std::move(out));
}

FieldForm pick_form(DemoRandom& r, int primary_percent) {
    return r.chance(primary_percent) ? FieldForm::Primary : FieldForm::Fallback;
}

// A mobile number as people write it on their pages.
GbkText shown_mobile(DemoRandom& r) {
    const DemoWords& w = demo_words();
    std::string number = "1" + std::to_string(3 + r.below(7)) + digits(r, 9);
    auto kind = r.below(100);
    if (kind < 62) return GbkText(number);
    if (kind < 74) return GbkText(number.substr(0, 3) + " " + number.substr(3, 4) + " " + number.substr(7));
    if (kind < 82)
        return join({GbkText(number.substr(0, 3)), w.full_width_space, GbkText(number.substr(3, 4)),
                     w.full_width_space, GbkText(number.substr(7))});
    if (kind < 90) return GbkText((r.chance(50) ? "+86 " : "+86-") + number);
    if (kind < 96) return GbkText(number.substr(0, 10));  // a digit short
    return GbkText(number + digits(r, 1));                // a digit too many
}

// A fixed-line number: area code with a leading 0, sometimes odd forms.
GbkText shown_landline(DemoRandom& r) {
    static const char* const kAreas[] = {"020", "021", "0755", "0571", "0574", "0512", "0769", "0592"};
    std::string area = kAreas[r.below(8)];
    std::string local = std::to_string(2 + r.below(7)) + digits(r, area.size() == 3 ? 7 : 6);
    auto kind = r.below(100);
    if (kind < 65) return GbkText(area + "-" + local);
    if (kind < 75) return GbkText(area + "-" + local + "-8" + digits(r, 2));
    if (kind < 85) return GbkText(area + " " + local.substr(0, 4) + " " + local.substr(4));
    if (kind < 93) {
        // Two numbers in one field: too long for the quoted form.
        std::string other = std::to_string(2 + r.below(7)) + digits(r, area.size() == 3 ? 7 : 6);
        return join({GbkText(area + "-" + local), demo_words().full_width_comma, GbkText(area + "-" + other)});
    }
    return GbkText(local);  // no area code
}

ShownField maybe(DemoRandom& r, int missing_percent, int primary_percent, GbkText text) {
    if (r.chance(missing_percent)) return {};
    return ShownField{pick_form(r, primary_percent), std::move(text)};
}

}  // namespace

DemoDirectory::DemoDirectory(std::uint64_t seed, int companies)
    : seed_(seed), companies_(std::clamp(companies, 0, kMaxCompanies)) {}

std::uint64_t DemoDirectory::search_tag(const GbkText& keyword, const GbkText& region) const {
    return demo_hash(demo_hash(demo_hash(seed_, "search"), keyword.view()), region.view());
}

DemoCompany DemoDirectory::company_at(const GbkText& keyword, const GbkText& region, std::uint64_t tag,
                                      int index) const {
    (void)region;
    const DemoWords& w = demo_words();
    DemoRandom r(demo_hash(tag, static_cast<std::uint64_t>(index)));
    std::size_t brand = r.below(w.brands.size());

    GbkText key = name_keyword(keyword);
    if (has_ascii_letter(key) && r.chance(15)) key = gbk_upper(key);
    GbkText city = r.chance(50) ? pick(r, w.cities) : GbkText();
    GbkText kind = r.chance(20) ? pick(r, w.trade_suffixes) : pick(r, w.suffixes);

    std::string body(w.stems[brand]);
    body += base36(static_cast<std::uint64_t>(index), 4);
    body += base36(tag % kTagSpace, 4);
    std::string id = body + base36(demo_hash(demo_hash(seed_, "id"), body) % 1296, 2);

    DemoCompany company;
    company.id = GbkText(std::move(id));
    company.name = join({city, w.brands[brand], key, kind});
    company.stored = stored_contacts(company.id);
    return company;
}

std::vector<DemoCompany> DemoDirectory::companies(const GbkText& keyword, const GbkText& region) const {
    std::vector<DemoCompany> out;
    out.reserve(static_cast<std::size_t>(companies_));
    std::uint64_t tag = search_tag(keyword, region);
    for (int i = 0; i < companies_; ++i) out.push_back(company_at(keyword, region, tag, i));
    return out;
}

std::vector<DemoCompany> DemoDirectory::page(const GbkText& keyword, const GbkText& region, int p) const {
    std::vector<DemoCompany> out;
    if (p < 1 || p > page_count()) return out;
    std::uint64_t tag = search_tag(keyword, region);
    int first = (p - 1) * kPerPage;
    int end = std::min(first + kPerPage, companies_);
    for (int i = first; i < end; ++i) out.push_back(company_at(keyword, region, tag, i));
    return out;
}

bool DemoDirectory::is_company_id(const GbkText& id) const {
    std::string_view text = id.view();
    if (text.size() < 11) return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    std::string_view body = text.substr(0, text.size() - 2);
    return text.substr(text.size() - 2) == base36(demo_hash(demo_hash(seed_, "id"), body) % 1296, 2);
}

DemoCompanyPage DemoDirectory::company_page(const GbkText& id) const {
    const DemoWords& w = demo_words();
    DemoRandom r(demo_hash(demo_hash(seed_, "company"), id.view()));
    DemoCompanyPage page;

    GbkText person = r.chance(30) ? join({pick(r, w.surnames), pick(r, w.given_names)})
                                  : join({pick(r, w.surnames), pick(r, w.titles)});
    if (r.chance(15)) {
        // A space between surname and the rest, ASCII or full-width.
        GbkText head = gbk_left(person, 2);
        GbkText tail = gbk_right(person, static_cast<int>(person.size()) - 2);
        person = join({head, r.chance(50) ? GbkText(" ") : w.full_width_space, tail});
    }
    page.contact = maybe(r, 8, 70, person);

    ShownField mobile = maybe(r, 20, 70, shown_mobile(r));
    ShownField telephone = maybe(r, 15, 70, shown_landline(r));
    if (r.chance(15)) std::swap(mobile, telephone);  // shown under each other's label
    page.mobile = mobile;
    page.telephone = telephone;
    page.fax = maybe(r, 45, 70, shown_landline(r));

    std::string mailbox(w.stems[r.below(w.stems.size())]);
    mailbox += digits(r, static_cast<int>(r.below(4)));
    page.email = maybe(r, 35, 65, GbkText(mailbox + "@" + std::string(w.mail_domains[r.below(w.mail_domains.size())])));

    if (!r.chance(40)) {
        std::string qq = std::to_string(1 + r.below(9)) + digits(r, 4 + static_cast<int>(r.below(6)));
        auto kind = r.below(100);
        if (kind < 70)
            page.qq = ShownField{FieldForm::Primary, GbkText(qq)};
        else if (kind < 92)
            page.qq = ShownField{FieldForm::Fallback, GbkText(qq)};
        else
            page.qq = ShownField{FieldForm::Primary, GbkText()};  // a link with no number in it
    }

    GbkText number = GbkText(std::to_string(1 + r.below(300))) + w.road_number;
    GbkText place = join({pick(r, w.districts), pick(r, w.roads), number});
    GbkText address;
    auto layout = r.below(100);
    if (layout < 72)
        address = join({pick(r, w.provinces), place});
    else if (layout < 92)
        address = join({pick(r, w.provinces), GbkText(" "), place, GbkText(" "),
                        GbkText(std::to_string(1 + r.below(20))), w.building});
    else
        address = join({pick(r, w.provinces), GbkText("\r\n"), place});
    page.address = maybe(r, 10, 70, address);
    return page;
}

DemoContacts DemoDirectory::stored_contacts(const GbkText& id) const {
    return stored_from_extracted(extracted_contacts(company_page(id)));
}

DemoContacts extracted_contacts(const DemoCompanyPage& page) {
    auto plain = [](const ShownField& f) {
        return f.form == FieldForm::Missing ? GbkText() : gbk_remove_spaces(f.text);
    };
    // A quoted value over 25 bytes gives way to the labelled form, which a
    // page showing the quoted form does not have.
    auto number = [&](const ShownField& f) {
        GbkText value = plain(f);
        return f.form == FieldForm::Primary && value.size() > 25 ? GbkText() : value;
    };
    DemoContacts values;
    values.contact = plain(page.contact);
    values.mobile = number(page.mobile);
    values.telephone = number(page.telephone);
    values.fax = number(page.fax);
    values.email = plain(page.email);
    values.qq = plain(page.qq);
    values.address = plain(page.address);
    return values;
}

DemoContacts stored_from_extracted(DemoContacts v) {
    bool swap = (!v.mobile.empty() && v.mobile.view()[0] == '0') ||
                (!v.telephone.empty() && v.telephone.view()[0] == '1');
    if (swap) std::swap(v.mobile, v.telephone);
    if (v.mobile.empty() || v.mobile.view()[0] != '1' || v.mobile.size() < 11) v.mobile = GbkText();
    const GbkText crlf("\r\n");
    for (GbkText* field : {&v.contact, &v.mobile, &v.telephone, &v.fax, &v.email, &v.qq, &v.address})
        *field = gbk_replace(*field, crlf);
    return v;
}

}  // namespace lanyi
