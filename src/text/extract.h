// Marker-based extraction and query-string encoding.
#pragma once

#include "text/gbk_text.h"

namespace lanyi {

// The text between the first start marker (from `start`) and the first end
// marker after it; empty when either is missing. "#引号" in a marker stands for
// a double quote. ASCII letters match regardless of case unless
// case_sensitive is set.
GbkText text_between(const GbkText& text, const GbkText& start_marker, const GbkText& end_marker,
                     int start = 1, bool case_sensitive = false);

// Percent-encodes every byte ("%" and two upper-case hex digits); with
// pass_through, "-", ".", digits and ASCII letters stay as they are. With
// as_utf8 the text's UTF-8 form is encoded instead of its GBK bytes.
GbkText url_encode(const GbkText& text, bool pass_through = false, bool as_utf8 = false);

}  // namespace lanyi
