#include "demo_harvest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "app/headless_run.h"
#include "text/code_page.h"
#include "text/text_ops.h"

namespace lanyi::testing_support {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("lanyi-test-" + std::to_string(rd()));
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

CommandLine headless_command(const DemoSite& site, const std::string& keyword, const std::string& region,
                             const std::string& out) {
    CommandLine cmd;
    cmd.mode = RunMode::Headless;
    cmd.keyword = keyword;
    cmd.region = region;
    cmd.out = out;
    cmd.proxy = "127.0.0.1:" + std::to_string(site.port());
    return cmd;
}

namespace {

// A small CSV reader: quoted cells with doubled quotes, CR LF line ends.
std::vector<CsvRow> parse_csv(const std::string& text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string cell;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') cell += '"', ++i;
            else if (c == '"') quoted = false;
            else cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(cell));
            cell.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
            ++i;
        } else {
            cell += c;
        }
    }
    EXPECT_TRUE(cell.empty() && row.empty()) << "the file does not end with CR LF";
    return rows;
}

}  // namespace

bool read_export(const std::string& path, std::vector<CsvRow>& data_rows) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto rows = parse_csv(gbk_to_utf8(GbkText(bytes)));
    EXPECT_FALSE(rows.empty());
    if (rows.empty()) return true;
    EXPECT_EQ(rows.front(),
              (CsvRow{"序", "ID", "公司名", "联系人", "手机", "电话", "传真", "邮箱", "QQ", "地址"}));
    data_rows.assign(rows.begin() + 1, rows.end());
    return true;
}

HeadlessOutcome run_and_read(const CommandLine& cmd) {
    HeadlessOutcome outcome;
    std::ostringstream out;
    outcome.status = run_headless(cmd, out, nullptr);
    outcome.out = out.str();
    outcome.file_written = read_export(cmd.out, outcome.csv);
    return outcome;
}

std::map<std::string, CsvRow> predicted_rows(const DemoDirectory& directory, const std::string& keyword,
                                             const std::string& region, const std::string& filter,
                                             const RequiredFields& required) {
    const GbkText filter_gbk = utf8_to_gbk(filter);
    std::map<std::string, CsvRow> rows;
    for (const DemoCompany& c : directory.companies(utf8_to_gbk(keyword), utf8_to_gbk(region))) {
        if (!gbk_is_blank(filter_gbk) && gbk_find(c.name, filter_gbk, 1, false) != -1) continue;
        const DemoContacts& s = c.stored;
        const std::pair<bool, const GbkText*> tests[] = {
            {required.contact, &s.contact}, {required.mobile, &s.mobile}, {required.telephone, &s.telephone},
            {required.fax, &s.fax},         {required.email, &s.email},   {required.qq, &s.qq},
            {required.address, &s.address},
        };
        bool rejected = false;
        for (const auto& [on, field] : tests) rejected = rejected || (on && field->empty());
        if (rejected) continue;
        rows[gbk_to_utf8(c.id)] = expected_row(c, s);
    }
    return rows;
}

CsvRow expected_row(const DemoCompany& company, const DemoContacts& s) {
    return {gbk_to_utf8(company.id), gbk_to_utf8(company.name), gbk_to_utf8(s.contact),
            gbk_to_utf8(s.mobile),   gbk_to_utf8(s.telephone),  gbk_to_utf8(s.fax),
            gbk_to_utf8(s.email),    gbk_to_utf8(s.qq),         gbk_to_utf8(s.address)};
}

std::map<std::string, CsvRow> rows_by_id(const std::vector<CsvRow>& rows) {
    std::map<std::string, CsvRow> by_id;
    for (const CsvRow& row : rows) {
        EXPECT_EQ(row.size(), 10u);
        if (row.size() != 10) continue;
        EXPECT_EQ(by_id.count(row[1]), 0u) << "company listed twice: " << row[1];
        by_id[row[1]] = CsvRow(row.begin() + 1, row.end());
    }
    return by_id;
}

std::map<std::string, long> summary(const std::string& out, const std::string& label) {
    std::map<std::string, long> figures;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(label + ": ", 0) != 0) continue;
        std::istringstream words(line.substr(label.size() + 2));
        std::string word;
        while (words >> word) {
            const auto eq = word.find('=');
            if (eq != std::string::npos) figures[word.substr(0, eq)] = std::stol(word.substr(eq + 1));
        }
    }
    return figures;
}

}  // namespace lanyi::testing_support
