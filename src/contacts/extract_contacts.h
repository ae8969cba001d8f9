// Contact page extraction and acceptance: the seven contact fields cut out of
// a company page, the number rules, and the decision between filling a row
// and clearing it.
//
// extract_fields, apply_number_rules and missing_required_field are pure and
// callable from any thread. extract_contacts runs on the contact workers; it
// reads the window's check boxes at the moment of each test and writes the
// row by key, so a row that compaction deleted meanwhile receives nothing.
#pragma once

#include <array>
#include <optional>

#include "text/gbk_text.h"
#include "ui/harvest.h"

namespace lanyi {

struct ContactFields {
    GbkText contact, mobile, telephone, fax, email, qq, address;

    // Columns 3-9 in column order.
    std::array<GbkText, 7> columns() const {
        return {contact, mobile, telephone, fax, email, qq, address};
    }
};

// Every field by its primary markers, the fallback markers where the primary
// value is empty or too long; spaces removed from every value.
ContactFields extract_fields(const GbkText& page);

// The number swap (mobile starting "0" or telephone starting "1" exchanges
// the two) and then the strong mobile filter (a mobile survives only when it
// starts with "1" and holds at least 11 bytes).
void apply_number_rules(ContactFields& fields, bool swap, bool strong_mobile);

// The first required box, in the order contact, mobile, telephone, fax,
// e-mail, QQ, address, that is checked while its field is empty; nothing when
// the row passes. Each box is read only when its turn comes.
std::optional<CheckBox> missing_required_field(const ContactFields& fields, Window& window);

// Empties all ten columns of the row; false when the row is gone.
bool clear_row(ResultList& list, RowKey row);

// Fills columns 3-9 of the row (CR LF pairs removed) and counts it valid, or
// clears it and counts it filtered.
void extract_contacts(Harvest& harvest, const GbkText& page, RowKey row);

}  // namespace lanyi
