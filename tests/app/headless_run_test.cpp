// End-to-end: the headless run against the demo site on loopback, checked
// against what the demo data predicts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "demo_harvest.h"
#include "text/code_page.h"

namespace lanyi {
namespace {

using namespace testing_support;

const char* const kKeyword = "led";
const char* const kRegion = "广东省:广州市";


class HeadlessHarvest : public ::testing::Test {
protected:
    void start_site(int companies, std::uint64_t seed = 7) {
        DemoSiteOptions options;
        options.companies = companies;
        options.seed = seed;
        site_ = std::make_unique<DemoSite>(options);
        ASSERT_TRUE(site_->start());
    }
    CommandLine command(const std::string& out_name) const {
        return headless_command(*site_, kKeyword, kRegion, scratch_.file(out_name));
    }

    ScratchDir scratch_;
    std::unique_ptr<DemoSite> site_;
};

TEST_F(HeadlessHarvest, CsvHoldsWhatTheDemoDataPredicts) {
    start_site(95);  // five result pages, the last one short
    const HeadlessOutcome run = run_and_read(command("all.csv"));
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(run.file_written);

    const auto predicted = predicted_rows(site_->directory(), kKeyword, kRegion, "", {});
    EXPECT_EQ(predicted.size(), 95u);
    EXPECT_EQ(rows_by_id(run.csv), predicted);
    for (std::size_t i = 0; i < run.csv.size(); ++i)  // renumbered from 1 after the last compaction
        EXPECT_EQ(run.csv[i][0], std::to_string(i + 1));

    const auto search = summary(run.out, "search");
    EXPECT_EQ(search.at("pages"), 5);
    EXPECT_EQ(search.at("total"), 95);
    EXPECT_EQ(search.at("processed"), 95);
    EXPECT_EQ(search.at("filtered"), 0);
    EXPECT_EQ(search.at("valid"), 95);
    const auto contacts = summary(run.out, "contacts");
    EXPECT_EQ(contacts.at("total"), 95);
    EXPECT_EQ(contacts.at("processed"), 95);
    EXPECT_EQ(contacts.at("valid"), 95);
    EXPECT_EQ(contacts.at("rows"), 95);

    // The summary lines are the last two lines of stdout.
    const std::string& out = run.out;
    const auto contacts_at = out.rfind("contacts: ");
    const auto search_at = out.rfind("search: ");
    ASSERT_NE(contacts_at, std::string::npos);
    EXPECT_LT(search_at, contacts_at);
    EXPECT_EQ(out.find('\n', search_at) + 1, contacts_at);
    EXPECT_EQ(out.find('\n', contacts_at), out.size() - 1);
}

TEST_F(HeadlessHarvest, OneThreadAndFiftyThreadsFindTheSameRows) {
    start_site(240);
    CommandLine one = command("one.csv");
    one.threads = "1";
    CommandLine fifty = command("fifty.csv");
    fifty.threads = "50";
    const HeadlessOutcome a = run_and_read(one);
    const HeadlessOutcome b = run_and_read(fifty);
    ASSERT_EQ(a.status, 0) << a.out;
    ASSERT_EQ(b.status, 0) << b.out;
    EXPECT_EQ(a.csv.size(), 240u);
    EXPECT_EQ(rows_by_id(a.csv), rows_by_id(b.csv));
    // With one thread the list keeps the site's result order.
    const auto companies = site_->directory().companies(utf8_to_gbk(kKeyword), utf8_to_gbk(kRegion));
    ASSERT_EQ(companies.size(), a.csv.size());
    for (std::size_t i = 0; i < companies.size(); ++i) EXPECT_EQ(a.csv[i][1], gbk_to_utf8(companies[i].id));
}

TEST_F(HeadlessHarvest, FilterWordDropsCompaniesByName) {
    start_site(120);
    CommandLine cmd = command("filtered.csv");
    cmd.filter = "贸易";
    const HeadlessOutcome run = run_and_read(cmd);
    ASSERT_EQ(run.status, 0) << run.out;
    const auto predicted = predicted_rows(site_->directory(), kKeyword, kRegion, "贸易", {});
    EXPECT_LT(predicted.size(), 120u);  // the demo names some companies with the word
    EXPECT_GT(predicted.size(), 0u);
    EXPECT_EQ(rows_by_id(run.csv), predicted);
    const auto search = summary(run.out, "search");
    EXPECT_EQ(search.at("filtered"), 120 - static_cast<long>(predicted.size()));
    EXPECT_EQ(search.at("valid"), static_cast<long>(predicted.size()));
}

TEST_F(HeadlessHarvest, EachRequiredFieldRejectsRowsWithoutIt) {
    start_site(100);
    const struct {
        const char* name;
        bool RequiredFields::*field;
    } boxes[] = {
        {"contact", &RequiredFields::contact}, {"mobile", &RequiredFields::mobile},
        {"telephone", &RequiredFields::telephone}, {"fax", &RequiredFields::fax},
        {"email", &RequiredFields::email},     {"qq", &RequiredFields::qq},
        {"address", &RequiredFields::address},
    };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.name);
        CommandLine cmd = command(std::string(box.name) + ".csv");
        cmd.required.*box.field = true;
        const HeadlessOutcome run = run_and_read(cmd);
        ASSERT_EQ(run.status, 0) << run.out;
        const auto predicted = predicted_rows(site_->directory(), kKeyword, kRegion, "", cmd.required);
        EXPECT_LT(predicted.size(), 100u) << "the demo data should leave this field out somewhere";
        EXPECT_EQ(rows_by_id(run.csv), predicted);
        const auto contacts = summary(run.out, "contacts");
        EXPECT_EQ(contacts.at("filtered"), 100 - static_cast<long>(predicted.size()));
        EXPECT_EQ(contacts.at("rows"), static_cast<long>(predicted.size()));
    }
}

TEST_F(HeadlessHarvest, NoResultsSaysSoAndWritesNoFile) {
    start_site(0);
    const HeadlessOutcome run = run_and_read(command("none.csv"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("没有采集结果"), std::string::npos);
    EXPECT_FALSE(run.file_written);
}

TEST_F(HeadlessHarvest, UnwritableFileIsAnErrorNotSuccess) {
    start_site(20);
    CommandLine cmd = command("missing-folder/x.csv");
    const HeadlessOutcome run = run_and_read(cmd);
    EXPECT_EQ(run.status, 3) << run.out;
    EXPECT_FALSE(run.file_written);
}

}  // namespace
}  // namespace lanyi
