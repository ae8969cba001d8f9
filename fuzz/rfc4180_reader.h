// A strict RFC 4180 reader for checking the CSV writer: records end in CR LF,
// fields are separated by commas, a field is either plain (no comma, quote,
// CR or LF) or quoted with inner quotes doubled. Anything else is an error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanyi::fuzzing {

using CsvRecord = std::vector<std::string>;

// The records of a whole file, or nothing when it breaks a rule (including a
// last record without its CR LF).
inline std::optional<std::vector<CsvRecord>> read_rfc4180(std::string_view text) {
    std::vector<CsvRecord> records;
    std::size_t i = 0;
    while (i < text.size()) {
        CsvRecord record;
        for (;;) {
            std::string field;
            if (i < text.size() && text[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= text.size()) return std::nullopt;  // unterminated quote
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text[i++];
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                    if (text[i] == '"' || text[i] == '\n') return std::nullopt;
                    field += text[i++];
                }
            }
            record.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (text.substr(i, 2) == "\r\n") {
                i += 2;
                break;
            }
            return std::nullopt;  // a field must end at a comma or CR LF
        }
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace lanyi::fuzzing
