// The edit boxes: typed-character filtering, pasting, the content-changed
// event of writes and typing, and the harvest's clamp of the threads box.
#include <QClipboard>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <thread>

#include "qt_test_support.h"
#include "ui/clock.h"
#include "ui/harvest.h"
#include "ui/harvest_events.h"

namespace lanyi::test {
namespace {

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.set_events(&events);
        show_active(window);
    }
    // Empties the box without leaving an event in the record.
    QLineEdit* empty_box(EditBox box) {
        window.set_edit_text(box, GbkText());
        events.edits.clear();
        QLineEdit* edit = window.widget()->edit(box);
        edit->setFocus();
        return edit;
    }

    QtWindow window;
    RecordingEvents events{&window};
};

struct TypingCase {
    EditBox box;
    const char* typed;
    const char* expected;
};

TEST_F(EditBoxTest, NumberBoxesTakeOnlyTypedDigitsAndMinus) {
    const TypingCase cases[] = {
        {EditBox::Threads, "a", ""},
        {EditBox::Threads, "-5", "-5"},
        {EditBox::Threads, "1a2.b3", "123"},
        {EditBox::Timeout, "100", "100"},
        {EditBox::Timeout, "1000", "100"},  // a fourth character is refused
        {EditBox::Timeout, "x-9", "-9"},
        {EditBox::Keyword, "ab-1.", "ab-1."},  // the other boxes take anything
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(std::string(c.typed));
        QLineEdit* edit = empty_box(c.box);
        QTest::keyClicks(edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit->text().toStdString(), c.expected);
        EXPECT_EQ(utf8(window.edit_text(c.box)), c.expected);
        // One event per character that changed the text.
        EXPECT_EQ(events.edits.size(), std::string(c.expected).size());
    }
}

TEST_F(EditBoxTest, ControlCharactersReachNumberBoxes) {
    QLineEdit* edit = empty_box(EditBox::Threads);
    QTest::keyClicks(edit, "12");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    EXPECT_EQ(utf8(window.edit_text(EditBox::Threads)), "1");
}

TEST_F(EditBoxTest, PastedTextArrivesUnfiltered) {
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    QLineEdit* edit = empty_box(EditBox::Threads);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("abc"));
    EXPECT_EQ(utf8(window.edit_text(EditBox::Threads)), "abc");
    ASSERT_EQ(events.edits.size(), 1u);
    EXPECT_EQ(events.edits[0].box, EditBox::Threads);
}

TEST_F(EditBoxTest, WriteRaisesTheEventOnceWithTheNewTextInPlace) {
    events.edits.clear();
    window.set_edit_text(EditBox::Threads, GbkText("50"));
    window.set_edit_text(EditBox::Threads, GbkText("50"));  // unchanged: raised all the same
    window.set_edit_text(EditBox::Keyword, gbk("五金"));
    ASSERT_EQ(events.edits.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(events.edits[i].box, EditBox::Threads);
        EXPECT_EQ(events.edits[i].mirror_text, "50");
        EXPECT_EQ(events.edits[i].widget_text, "50");
    }
    EXPECT_EQ(events.edits[2].box, EditBox::Keyword);
    EXPECT_EQ(events.edits[2].widget_text, "五金");
    EXPECT_EQ(window.edit_text(EditBox::Keyword), gbk("五金"));
}

TEST_F(EditBoxTest, WritesFromAWorkerRaiseOneEventEachOnTheGuiThread) {
    events.edits.clear();
    std::thread worker([&] {
        for (const char* text : {"7", "8", "8"}) window.set_edit_text(EditBox::Threads, GbkText(text));
    });
    worker.join();
    EXPECT_EQ(utf8(window.edit_text(EditBox::Threads)), "8");  // seen at once by any thread
    ASSERT_TRUE(wait_until([&] { return events.edits.size() >= 3; }));
    QTest::qWait(50);
    EXPECT_EQ(events.edits.size(), 3u);
    EXPECT_EQ(window.widget()->edit(EditBox::Threads)->text(), QStringLiteral("8"));
}

TEST_F(EditBoxTest, WriteBeyondTheTimeOutLimitKeepsInterfaceAndBoxAlike) {
    window.set_edit_text(EditBox::Timeout, GbkText("1234"));
    EXPECT_EQ(window.widget()->edit(EditBox::Timeout)->text().toStdString(),
              utf8(window.edit_text(EditBox::Timeout)));
}

// --- the harvest behind the window ---

class NoNetwork : public PageFetcher {
public:
    FetchResult fetch(const FetchRequest&) override { return {}; }
};

class HarvestEditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.set_events(&events);
        show_active(window);
    }
    QLineEdit* empty_threads_box() {
        QLineEdit* edit = window.widget()->edit(EditBox::Threads);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);  // the event puts "1" back
        edit->selectAll();
        return edit;
    }

    QtWindow window;
    NoNetwork network;
    SteadyClock clock;
    Harvest harvest{window, network, clock};
    HarvestEvents events{harvest, PhaseActions{}};
};

// Each change runs the clamp at once, so typing "-" already gives "1".
TEST_F(HarvestEditBoxTest, ThreadsBoxIsHeldBetweenOneAndFifty) {
    enum class How { Typed, Pasted, Written };
    struct Case {
        How how;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {How::Typed, "0", "1"},     {How::Typed, "80", "50"},   {How::Typed, "50", "50"},
        {How::Typed, "7", "7"},     {How::Typed, "-5", "15"},   {How::Pasted, "abc", "1"},
        {How::Pasted, "-5", "1"},   {How::Pasted, "51", "50"},  {How::Written, "0", "1"},
        {How::Written, "80", "50"}, {How::Written, "1", "1"},   {How::Written, "50", "50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QLineEdit* edit = empty_threads_box();
        const QString text = QString::fromUtf8(c.text);
        switch (c.how) {
            case How::Typed: QTest::keyClicks(edit, text); break;
            case How::Pasted:
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
                break;
            case How::Written: window.set_edit_text(EditBox::Threads, GbkText(c.text)); break;
        }
        EXPECT_EQ(edit->text().toStdString(), c.expected);
        EXPECT_EQ(utf8(window.edit_text(EditBox::Threads)), c.expected);
    }
}

TEST_F(HarvestEditBoxTest, WorkerWriteIsClampedOnTheGuiThread) {
    std::thread worker([&] { window.set_edit_text(EditBox::Threads, GbkText("80")); });
    worker.join();
    ASSERT_TRUE(wait_until([&] { return utf8(window.edit_text(EditBox::Threads)) == "50"; }));
    EXPECT_EQ(window.widget()->edit(EditBox::Threads)->text(), QStringLiteral("50"));
}

TEST_F(HarvestEditBoxTest, TimeOutBoxSetsTheFetchTimeOut) {
    QLineEdit* edit = window.widget()->edit(EditBox::Timeout);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "25");
    EXPECT_EQ(harvest.timeout_seconds.load(), 25);
    QGuiApplication::clipboard()->setText(QStringLiteral("x"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(harvest.timeout_seconds.load(), 0);
}

}  // namespace
}  // namespace lanyi::test
