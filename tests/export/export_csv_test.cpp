#include "export/export_csv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "export/csv.h"
#include "fake_fetcher.h"
#include "text/code_page.h"
#include "ui/headless_window.h"

namespace lanyi {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "lanyi-export-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string make(const std::string& sub) const {
        fs::create_directories(path_ + "/" + sub);
        return path_ + "/" + sub;
    }
    void write(const std::string& sub, const std::string& text) const {
        std::ofstream(path_ + "/" + sub, std::ios::binary) << text;
    }

private:
    std::string path_;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int entries_in(const std::string& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
    return n;
}

TEST(ProposedFileName, JoinsTheInputsUnchanged) {
    EXPECT_EQ(gbk_to_utf8(proposed_file_name({gbk("灯"), GbkText(), gbk("广东省")})), "灯-广东省-.csv");
    EXPECT_EQ(gbk_to_utf8(proposed_file_name({gbk("led"), gbk("电子"), gbk("广东省:广州市")})),
              "led-广东省:广州市-电子.csv");
}

TEST(DesktopFolder, XdgEntryThenDesktopThenHome) {
    TempDir home;
    ASSERT_FALSE(home.path().empty());
    const std::string& h = home.path();
    EXPECT_EQ(desktop_folder(h, ""), h);  // nothing configured, no Desktop

    home.make("Desktop");
    EXPECT_EQ(desktop_folder(h, ""), h + "/Desktop");

    home.make(".config");
    home.write(".config/user-dirs.dirs",
               "# XDG_DESKTOP_DIR=\"$HOME/Wrong\"\nXDG_DOWNLOAD_DIR=\"$HOME/Down\"\n"
               "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    EXPECT_EQ(desktop_folder(h, ""), h + "/Desktop");  // the named folder does not exist
    home.make("桌面");
    EXPECT_EQ(desktop_folder(h, ""), h + "/桌面");

    const std::string other = home.make("cfg");
    const std::string absolute = home.make("abs/desk");
    home.write("cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + absolute + "\"\n");
    EXPECT_EQ(desktop_folder(h, other), absolute);
    home.write("cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOMEWORK\"\n");
    EXPECT_EQ(desktop_folder(h, other), h + "/Desktop");

    // The environment decides which home and config folder are read.
    const char* old_home = std::getenv("HOME");
    const std::string saved = old_home ? old_home : "";
    setenv("HOME", h.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(desktop_folder(), h + "/桌面");
    if (old_home) setenv("HOME", saved.c_str(), 1);
}

class WriteCsvFile : public ::testing::Test {
protected:
    WriteCsvFile() {
        list.append_company(GbkText("a1"), gbk("甲公司"));
        list.append_company(GbkText("b2"), gbk("乙公司"));
    }
    TempDir dir;
    ResultList list;
};

TEST_F(WriteCsvFile, WritesTheGbkBytesWithoutAMark) {
    const std::string path = dir.path() + "/out.csv";
    dir.write("out.csv", "an older, longer file that must be replaced whole ...................");
    ASSERT_TRUE(write_csv_file(list, path));
    const std::string bytes = read_file(path);
    EXPECT_EQ(bytes, std::string(build_csv_text(list).view()));
    EXPECT_EQ(gbk_to_utf8(GbkText(bytes)).substr(0, 4), "序,");
    EXPECT_NE(static_cast<unsigned char>(bytes[0]), 0xEF);  // no UTF-8 mark
    EXPECT_EQ(entries_in(dir.path()), 1);                    // no temporary left behind
}

TEST_F(WriteCsvFile, FailureLeavesTheOldFileAndNoTemporary) {
    EXPECT_FALSE(write_csv_file(list, dir.path() + "/missing/out.csv"));
    const std::string folder = dir.make("taken.csv");  // a folder where the file should go
    EXPECT_FALSE(write_csv_file(list, folder));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(entries_in(dir.path()), 1);
    EXPECT_EQ(entries_in(folder), 0);
}

TEST(ExportCsv, DialogThenFile) {
    using testing_support::FakeFetcher;
    using testing_support::FixedClock;
    TempDir dir;
    HeadlessWindow window;
    FakeFetcher fetcher;
    FixedClock clock;
    Harvest harvest(window, fetcher, clock);
    harvest.set_inputs({gbk("灯"), gbk("坏"), gbk("广东省:广州市")});

    EXPECT_FALSE(export_csv(harvest));  // no rows: no dialog
    EXPECT_TRUE(window.save_requests().empty());

    window.list().append_company(GbkText("a1"), gbk("甲公司"));
    window.set_save_path(std::nullopt);
    EXPECT_FALSE(export_csv(harvest));  // cancelled
    ASSERT_EQ(window.save_requests().size(), 1u);
    EXPECT_EQ(gbk_to_utf8(window.save_requests()[0].proposed_name), "灯-广东省:广州市-坏.csv");
    EXPECT_EQ(window.save_requests()[0].folder, desktop_folder());
    EXPECT_EQ(entries_in(dir.path()), 0);

    const std::string path = dir.path() + "/chosen.csv";
    window.set_save_path(path);
    EXPECT_TRUE(export_csv(harvest));
    EXPECT_EQ(gbk_to_utf8(GbkText(read_file(path))),
              "序,ID,公司名,联系人,手机,电话,传真,邮箱,QQ,地址\r\n1,a1,甲公司,,,,,,,\r\n");
}

}  // namespace
}  // namespace lanyi
