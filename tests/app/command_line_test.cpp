#include "app/command_line.h"

#include <gtest/gtest.h>

namespace lanyi {
namespace {

std::vector<std::string> split_args(const std::string& line) {
    std::vector<std::string> args;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty()) args.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) args.push_back(word);
    return args;
}

TEST(CommandLine, HeadlessRunTakesEveryOption) {
    const auto parsed = parse_command_line(split_args(
        "--headless --keyword led --region 广东省:广州市 --filter 贸易 --threads 50 --timeout 7 "
        "--require mobile,qq,address --no-swap --no-strong-mobile --proxy 127.0.0.1:3128 "
        "--search-host s.example.test --shop-suffix .shop.example.test --demo --out a.csv"));
    ASSERT_TRUE(parsed.command) << parsed.error;
    const CommandLine& c = *parsed.command;
    EXPECT_EQ(c.mode, RunMode::Headless);
    EXPECT_EQ(c.keyword, "led");
    EXPECT_EQ(c.region, "广东省:广州市");
    EXPECT_EQ(c.filter, "贸易");
    EXPECT_EQ(c.threads, "50");
    EXPECT_EQ(c.timeout, "7");
    EXPECT_TRUE(c.required.mobile && c.required.qq && c.required.address);
    EXPECT_FALSE(c.required.contact || c.required.telephone || c.required.fax || c.required.email);
    EXPECT_FALSE(c.swap_numbers);
    EXPECT_FALSE(c.strong_mobile);
    EXPECT_EQ(c.proxy, "127.0.0.1:3128");
    EXPECT_EQ(c.search_host, "s.example.test");
    EXPECT_EQ(c.shop_suffix, ".shop.example.test");
    EXPECT_TRUE(c.demo);
    EXPECT_EQ(c.out, "a.csv");
}

TEST(CommandLine, DefaultsAndModes) {
    const struct {
        const char* line;
        RunMode mode;
    } cases[] = {
        {"", RunMode::Window},
        {"--demo", RunMode::Window},
        {"--proxy h:1 --threads 3 --timeout 20", RunMode::Window},
        {"--help", RunMode::Help},
        {"--headless --help", RunMode::Help},
        {"--demo-site --port 0 --seed 3", RunMode::DemoSite},
        {"--headless --keyword k --region r --out x.csv", RunMode::Headless},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_command_line(split_args(c.line));
        ASSERT_TRUE(parsed.command) << c.line << ": " << parsed.error;
        EXPECT_EQ(parsed.command->mode, c.mode) << c.line;
    }
    const auto plain = parse_command_line(split_args("--headless --keyword k --region r --out x.csv"));
    EXPECT_TRUE(plain.command->swap_numbers);
    EXPECT_TRUE(plain.command->strong_mobile);
    EXPECT_FALSE(plain.command->threads);  // the box keeps its own "10"
    EXPECT_FALSE(plain.command->demo);
}

TEST(CommandLine, BadUsageNamesTheOption) {
    const struct {
        const char* line;
        const char* named;
    } cases[] = {
        {"--bogus", "--bogus"},
        {"--headless --region r --out x.csv", "--keyword"},
        {"--headless --keyword k --out x.csv", "--region"},
        {"--headless --keyword k --region r", "--out"},
        {"--headless --keyword", "--keyword"},
        {"--headless --keyword k --region r --out x.csv --threads many", "--threads"},
        {"--headless --keyword k --region r --out x.csv --timeout", "--timeout"},
        {"--headless --keyword k --region r --out x.csv --require mobile,phone", "phone"},
        {"--headless --keyword k --region r --out x.csv --proxy nohost", "--proxy"},
        {"--headless --keyword k --region r --out x.csv --shop-suffix shop.test", "--shop-suffix"},
        {"--headless --keyword k --region r --out x.csv --search-host a/b", "--search-host"},
        {"--keyword k", "--keyword"},
        {"--out x.csv", "--out"},
        {"--demo --demo-site", "--demo-site"},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_command_line(split_args(c.line));
        EXPECT_FALSE(parsed.command) << c.line;
        EXPECT_NE(parsed.error.find(c.named), std::string::npos) << c.line << " -> " << parsed.error;
    }
}

}  // namespace
}  // namespace lanyi
