// The demo directory's data: which companies a search finds, their names and
// ids, what each company page shows, and what a correct harvest stores from
// it. Everything is derived from the seed and the request alone, so tests can
// predict a harvest without running the extraction code.
//
// A DemoDirectory is an immutable value: safe to use from any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "text/gbk_text.h"

namespace lanyi {

// The seven contact fields, in page order.
struct DemoContacts {
    GbkText contact;
    GbkText mobile;
    GbkText telephone;
    GbkText fax;
    GbkText email;
    GbkText qq;
    GbkText address;

    friend bool operator==(const DemoContacts&, const DemoContacts&) = default;
};

struct DemoCompany {
    GbkText id;    // a host label: lower-case letters and digits
    GbkText name;  // carries the keyword
    // As a correct harvest stores them with the number swap and the strong
    // mobile filter on: spaces removed, CR LF pairs removed, swapped where the
    // page shows the numbers the wrong way round, a mobile that is not 11 or
    // more bytes beginning with "1" stored empty.
    DemoContacts stored;
};

// How one field appears on a company page.
enum class FieldForm { Missing, Primary, Fallback };

struct ShownField {
    FieldForm form = FieldForm::Missing;
    GbkText text;  // the bytes shown, spaces and line breaks included
};

// The fields as the company page shows them; `mobile` is the field under the
// mobile label, whatever number stands there.
struct DemoCompanyPage {
    ShownField contact, mobile, telephone, fax, email, qq, address;
};

class DemoDirectory {
public:
    static constexpr int kPerPage = 20;
    static constexpr int kInFirstAnswer = 10;  // the rest of a page is in the second answer
    static constexpr int kMaxCompanies = 1000000;

    // `companies` is clamped to 0 .. kMaxCompanies.
    DemoDirectory(std::uint64_t seed, int companies);

    std::uint64_t seed() const { return seed_; }
    int company_count() const { return companies_; }
    int page_count() const { return (companies_ + kPerPage - 1) / kPerPage; }

    // Every company a search finds, in result order.
    std::vector<DemoCompany> companies(const GbkText& keyword, const GbkText& region) const;
    // The companies of result page p (1-based); empty outside 1 .. page_count().
    std::vector<DemoCompany> page(const GbkText& keyword, const GbkText& region, int p) const;

    // Whether `id` names a company of this directory (any search).
    bool is_company_id(const GbkText& id) const;
    // What the company page of `id` shows, and what a harvest stores from it.
    DemoCompanyPage company_page(const GbkText& id) const;
    DemoContacts stored_contacts(const GbkText& id) const;

private:
    DemoCompany company_at(const GbkText& keyword, const GbkText& region, std::uint64_t tag,
                           int index) const;
    std::uint64_t search_tag(const GbkText& keyword, const GbkText& region) const;

    std::uint64_t seed_;
    int companies_;
};

// The values the contact extraction takes from a page showing these fields,
// before the swap and the mobile filter.
DemoContacts extracted_contacts(const DemoCompanyPage& page);
// The swap, the strong mobile filter and the CR LF removal applied to them.
DemoContacts stored_from_extracted(DemoContacts values);

}  // namespace lanyi
