// The contact fields of arbitrary bytes and the number rules: no value holds
// a space, the rules only move or drop the two numbers, and a mobile that
// passes the strong filter starts with "1" and has at least 11 bytes.
#include "contacts/extract_contacts.h"
#include "fuzz_input.h"
#include "text/text_ops.h"

using namespace lanyi;
using namespace lanyi::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const bool swap = in.flag();
    const bool strong = in.flag();
    const GbkText page(in.rest());

    const ContactFields fields = extract_fields(page);
    for (const GbkText& value : fields.columns()) {
        check_no_zero(value, "field");
        check(gbk_remove_spaces(value) == value, "no spaces left in a field");
    }

    ContactFields ruled = fields;
    apply_number_rules(ruled, swap, strong);
    check(ruled.contact == fields.contact && ruled.fax == fields.fax && ruled.email == fields.email &&
              ruled.qq == fields.qq && ruled.address == fields.address,
          "the rules touch only the two numbers");
    const bool swapped = ruled.telephone != fields.telephone;
    check(ruled.telephone == (swapped ? fields.mobile : fields.telephone), "telephone is one of the two");
    check(swap || !swapped, "no swap unless asked");
    const GbkText& mobile_source = swapped ? fields.telephone : fields.mobile;
    check(ruled.mobile == mobile_source || (strong && ruled.mobile.empty()), "mobile kept or filtered");
    if (strong && !ruled.mobile.empty())
        check(ruled.mobile.byte(0) == '1' && ruled.mobile.size() >= 11, "strong filter");
    if (!swap && !strong) check(ruled.mobile == fields.mobile, "no rule, no change");
    return 0;
}
