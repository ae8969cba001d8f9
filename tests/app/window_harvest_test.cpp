// End-to-end in the window: on Qt's offscreen platform, from the click on
// "开始采集公司" to the exported file, against the demo site on loopback.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/phase_actions.h"
#include "demo_harvest.h"
#include "fetch/curl_fetcher.h"
#include "qt/main_window.h"
#include "qt/qt_window.h"
#include "text/code_page.h"
#include "ui/harvest_events.h"

namespace lanyi {
namespace {

using namespace testing_support;

template <class T>
T* control(QtWindow& window, const char* name) {
    T* found = window.widget()->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

bool wait_until(const std::function<bool()>& pred, int limit_ms = 60000) {
    for (int waited = 0; !pred() && waited < limit_ms; waited += 10) QTest::qWait(10);
    return pred();
}

TEST(WindowHarvest, ButtonClickToExportedFile) {
    DemoSiteOptions options;
    options.companies = 70;
    options.seed = 11;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    ScratchDir scratch;
    const std::string out = scratch.file("window.csv");

    CurlFetcher fetcher;
    fetcher.set_default_proxy("127.0.0.1:" + std::to_string(site.port()));
    QtWindow window;
    SteadyClock clock;
    auto harvest = std::make_unique<Harvest>(window, fetcher, clock);
    HarvestEvents events(*harvest, make_phase_actions(*harvest));
    window.set_events(&events);
    window.show();

    // The user types a keyword and a region, requires a mobile, and asks to
    // confirm before the contact phase.
    QTest::keyClicks(control<QLineEdit>(window, "编辑框_关键词"), "led");
    control<QLineEdit>(window, "编辑框_地址")->insert(QString::fromUtf8("广东省：广州市"));
    control<QCheckBox>(window, "选择框_手机")->setChecked(true);
    control<QCheckBox>(window, "选择框_采集确认")->setChecked(true);

    // Answers every dialog the harvest opens: Yes to both questions, and the
    // save dialog with our file.
    std::vector<std::string> asked;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked.push_back(box->text().toStdString());
            box->button(QMessageBox::Yes)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            asked.push_back("save");
            dialog->selectFile(QString::fromStdString(out));
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    answerer.start(20);

    QPushButton* start = control<QPushButton>(window, "按钮_开始公司");
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_FALSE(start->isEnabled());  // running

    std::vector<CsvRow> rows;
    ASSERT_TRUE(wait_until([&] { return read_export(out, rows); })) << "no file exported";
    ASSERT_TRUE(wait_until([&] { return start->isEnabled(); }));  // idle again

    const RequiredFields required{.mobile = true};
    const auto predicted = predicted_rows(site.directory(), "led", "广东省:广州市", "", required);
    EXPECT_EQ(rows_by_id(rows), predicted);
    EXPECT_EQ(asked, (std::vector<std::string>{"采集公司已完成\r\n是否开始采集信息",
                                               "采集信息已完成\r\n是否导出", "save"}));
    // The list on screen is the list exported.
    EXPECT_EQ(window.widget()->list_view()->model()->rowCount(), static_cast<int>(predicted.size()));
    EXPECT_EQ(gbk_to_utf8(window.status_part(8)), "状态:未开始");
    EXPECT_EQ(gbk_to_utf8(window.status_part(7)), "有效" + std::to_string(predicted.size()) + "条");

    answerer.stop();
    fetcher.abort();
    harvest.reset();  // joins the harvest's threads before the window goes
    window.set_events(nullptr);
}

}  // namespace
}  // namespace lanyi

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
