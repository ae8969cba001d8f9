// Shared by the end-to-end tests: a headless harvest against a demo site on
// loopback, the CSV it wrote, and what the demo data predicts for it.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "demo/demo_directory.h"
#include "demo/demo_site.h"

namespace lanyi::testing_support {

using CsvRow = std::vector<std::string>;  // UTF-8 cells

struct HeadlessOutcome {
    int status = -1;
    std::string out;               // what the run printed on stdout
    std::vector<CsvRow> csv;       // data rows (header checked and dropped)
    bool file_written = false;
};

// A fresh scratch folder per test, removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

CommandLine headless_command(const DemoSite& site, const std::string& keyword,
                             const std::string& region, const std::string& out);
HeadlessOutcome run_and_read(const CommandLine& cmd);
// The data rows of an exported file (its header checked); false when there is
// no such file.
bool read_export(const std::string& path, std::vector<CsvRow>& rows);

// What the CSV should hold: the companies the demo finds, less those whose
// name holds the filter word and those missing a required field; with cells
// as a harvest with the number swap and the strong mobile filter stores them.
// Keyed by company id.
std::map<std::string, CsvRow> predicted_rows(const DemoDirectory& directory, const std::string& keyword,
                                             const std::string& region, const std::string& filter,
                                             const RequiredFields& required);
// The CSV cells after the row number for a company storing these contacts.
CsvRow expected_row(const DemoCompany& company, const DemoContacts& stored);
// The rows of a CSV keyed by id, with their row numbers dropped.
std::map<std::string, CsvRow> rows_by_id(const std::vector<CsvRow>& rows);

// The "name=value" figures of a summary line such as "search: pages=1 ...".
std::map<std::string, long> summary(const std::string& out, const std::string& label);

}  // namespace lanyi::testing_support
