// Questions, messages and the save dialog, asked from workers as the phases
// ask them, and what becomes of them once the window closes.
#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "qt_test_support.h"

namespace lanyi::test {
namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override { show_active(window); }
    void TearDown() override {
        if (worker.joinable()) worker.join();
    }
    // Runs the question on a worker; the result lands in `answer`.
    void ask_from_worker() {
        worker = std::thread([this] {
            answer = window.ask_yes_no(gbk("是否开始采集公司信息?"), gbk("提示")) ? 1 : 0;
        });
    }

    QtWindow window;
    std::thread worker;
    std::atomic<int> answer{-1};
};

TEST_F(DialogsTest, WorkerQuestionIsAnsweredOnTheGuiThread) {
    for (auto [button, expected] : {std::pair{QMessageBox::Yes, 1}, std::pair{QMessageBox::No, 0}}) {
        answer = -1;
        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        DialogAnswerer answerer([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            box->button(button)->click();
        });
        ask_from_worker();
        ASSERT_TRUE(wait_until([&] { return answer.load() != -1; }));
        worker.join();
        EXPECT_EQ(answer.load(), expected);
        EXPECT_EQ(text, QStringLiteral("是否开始采集公司信息?"));
        EXPECT_EQ(caption, QStringLiteral("提示"));
        EXPECT_EQ(icon, QMessageBox::Question);
    }
}

TEST_F(DialogsTest, WorkerMessageReturnsOnceClosed) {
    std::atomic<bool> returned{false};
    QString text;
    DialogAnswerer answerer([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        text = box->text();
        EXPECT_FALSE(returned.load());
        box->button(QMessageBox::Ok)->click();
    });
    worker = std::thread([&] {
        window.show_message(gbk("没有采集结果"), gbk("提示"));
        returned = true;
    });
    ASSERT_TRUE(wait_until([&] { return returned.load(); }));
    EXPECT_EQ(text, QStringLiteral("没有采集结果"));
}

TEST_F(DialogsTest, SaveDialogOffersCsvInTheGivenFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString chosen = QDir(folder.path()).filePath(QStringLiteral("五金_广州.csv"));
    QString title, directory, selected_filter;
    QStringList filters;
    QString suffix = QStringLiteral("unset");
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    bool confirms_overwrite = false;
    DialogAnswerer answerer([&](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        title = files->windowTitle();
        filters = files->nameFilters();
        selected_filter = files->selectedNameFilter();
        suffix = files->defaultSuffix();
        mode = files->acceptMode();
        directory = files->directory().absolutePath();
        confirms_overwrite = !files->testOption(QFileDialog::DontConfirmOverwrite);
        files->selectFile(chosen);
        QMetaObject::invokeMethod(files, "accept");
    });
    std::optional<std::string> path;
    std::atomic<bool> returned{false};
    worker = std::thread([&] {
        path = window.choose_save_path(gbk("五金_广州.csv"), QFile::encodeName(folder.path()).toStdString());
        returned = true;
    });
    ASSERT_TRUE(wait_until([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(title, QStringLiteral("保存采集"));
    ASSERT_EQ(filters.size(), 1);
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("文本文件（*.csv）")));
    EXPECT_TRUE(filters[0].endsWith(QStringLiteral("(*.csv)")));
    EXPECT_TRUE(selected_filter.startsWith(QStringLiteral("文本文件（*.csv）")));
    EXPECT_TRUE(suffix.isEmpty());
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_TRUE(confirms_overwrite);
    EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QFile::decodeName(QByteArray::fromStdString(*path)), chosen);
}

TEST_F(DialogsTest, CancelledSaveDialogGivesNothing) {
    DialogAnswerer answerer([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    std::optional<std::string> path = std::string("not cancelled");
    std::atomic<bool> returned{false};
    worker = std::thread([&] {
        path = window.choose_save_path(GbkText("x.csv"), QDir::tempPath().toStdString());
        returned = true;
    });
    ASSERT_TRUE(wait_until([&] { return returned.load(); }));
    EXPECT_FALSE(path.has_value());
}

TEST_F(DialogsTest, ClosedWindowAnswersAtOnceOnEveryThread) {
    window.close();
    EXPECT_FALSE(window.ask_yes_no(GbkText("q"), GbkText("c")));
    EXPECT_FALSE(window.choose_save_path(GbkText("x.csv"), "/tmp").has_value());
    window.show_message(GbkText("m"), GbkText("c"));  // returns without a box
    std::atomic<bool> done{false};
    worker = std::thread([&] {
        EXPECT_FALSE(window.ask_yes_no(GbkText("q"), GbkText("c")));
        EXPECT_FALSE(window.choose_save_path(GbkText("x.csv"), "/tmp").has_value());
        window.show_message(GbkText("m"), GbkText("c"));
        done = true;
    });
    worker.join();  // would hang if a worker waited for the closed window
    EXPECT_TRUE(done.load());
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A worker already waiting when the window closes is released with No, and
// its question never pops up afterwards.
TEST_F(DialogsTest, ClosingReleasesAWaitingWorker) {
    ask_from_worker();
    // The question is queued but the GUI thread has not run it yet.
    QThread::msleep(50);
    window.close();
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(DialogsTest, ClosingWhileTheQuestionIsOpenAnswersNo) {
    DialogAnswerer answerer([&](QWidget*) { window.close(); });
    ask_from_worker();
    ASSERT_TRUE(wait_until([&] { return answer.load() != -1; }));
    EXPECT_EQ(answer.load(), 0);
    EXPECT_TRUE(answerer.answered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace lanyi::test
