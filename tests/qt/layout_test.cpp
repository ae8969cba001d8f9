// The window as it opens: attributes, every control's place, caption and
// state, the list's columns and the status bar's parts.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <gtest/gtest.h>

#include "qt_test_support.h"
#include "ui/result_list.h"

namespace lanyi::test {
namespace {

enum class Kind { Label, Edit, Button, Check };

struct ControlCase {
    const char* name;
    Kind kind;
    QRect place;
    const char* text;  // caption, or an edit box's initial text
    bool checked;
};

const ControlCase kControls[] = {
    {"caption_label", Kind::Label, {10, 9, 438, 24},
     "关键字              地址                 过滤           线程        超时", false},
    {"编辑框_关键词", Kind::Edit, {51, 11, 73, 22}, "", false},
    {"编辑框_地址", Kind::Edit, {160, 11, 89, 22}, "", false},
    {"编辑框_过滤", Kind::Edit, {286, 11, 53, 22}, "", false},
    {"编辑框_线程", Kind::Edit, {376, 11, 36, 22}, "10", false},
    {"编辑框_超时", Kind::Edit, {446, 11, 36, 22}, "10", false},
    {"按钮_开始公司", Kind::Button, {488, 8, 83, 26}, "开始采集公司", false},
    {"按钮_开始信息", Kind::Button, {574, 8, 83, 26}, "采集公司信息", false},
    {"按钮_停止", Kind::Button, {660, 8, 44, 26}, "停止", false},
    {"按钮_清空公司", Kind::Button, {707, 8, 63, 26}, "清空全部", false},
    {"按钮_清空信息", Kind::Button, {773, 8, 63, 26}, "清空信息", false},
    {"按钮_导出", Kind::Button, {839, 8, 44, 26}, "导出", false},
    {"required_label", Kind::Label, {8, 457, 80, 24}, "不可空:", false},
    {"选择框_联系人", Kind::Check, {52, 462, 64, 16}, "联系人", false},
    {"选择框_手机", Kind::Check, {112, 462, 52, 16}, "手机", false},
    {"选择框_电话", Kind::Check, {161, 462, 52, 16}, "电话", false},
    {"选择框_传真", Kind::Check, {212, 462, 52, 16}, "传真", false},
    {"选择框_邮箱", Kind::Check, {261, 462, 52, 16}, "邮箱", false},
    {"选择框_QQ", Kind::Check, {312, 462, 52, 16}, "QQ", false},
    {"选择框_地址", Kind::Check, {352, 462, 52, 16}, "地址", false},
    {"选择框_采集确认", Kind::Check, {548, 462, 93, 16}, "信息采集确认", false},
    {"选择框_导出提示", Kind::Check, {642, 462, 71, 16}, "提示导出", true},
    {"选择框_手机电话识别", Kind::Check, {714, 462, 95, 16}, "号码识别交换", true},
    {"选择框_手机号强过滤", Kind::Check, {809, 462, 80, 16}, "手机强过滤", true},
    {"note_label", Kind::Label, {8, 477, 876, 24},
     "注:地址说明 例（市）广东省:广州市  例（省1）广东省  例（省2）北京      市（xx省:xx市）   "
     "省（xx省 或 xx）",
     false},
};

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    QtWindow window;
};

TEST_F(LayoutTest, EveryControlHasItsPlaceCaptionAndState) {
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = find(window, c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), c.place);
        EXPECT_TRUE(widget->isVisible());
        EXPECT_TRUE(widget->isEnabled());
        const QString text = QString::fromUtf8(c.text);
        switch (c.kind) {
            case Kind::Label: {
                auto* label = qobject_cast<QLabel*>(widget);
                ASSERT_NE(label, nullptr);
                EXPECT_EQ(label->text(), text);
                EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
                EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
                break;
            }
            case Kind::Edit: {
                auto* edit = qobject_cast<QLineEdit*>(widget);
                ASSERT_NE(edit, nullptr);
                EXPECT_EQ(edit->text(), text);
                EXPECT_EQ(edit->alignment(), Qt::AlignCenter);
                EXPECT_NE(edit->focusPolicy(), Qt::NoFocus);
                break;
            }
            case Kind::Button: {
                auto* button = qobject_cast<QPushButton*>(widget);
                ASSERT_NE(button, nullptr);
                EXPECT_EQ(button->text(), text);
                EXPECT_FALSE(button->isDefault());
                EXPECT_FALSE(button->autoDefault());
                break;
            }
            case Kind::Check: {
                auto* box = qobject_cast<QCheckBox*>(widget);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), text);
                EXPECT_EQ(box->isChecked(), c.checked);
                break;
            }
        }
    }
}

TEST_F(LayoutTest, InterfaceReportsTheInitialValues) {
    EXPECT_EQ(utf8(window.edit_text(EditBox::Threads)), "10");
    EXPECT_EQ(utf8(window.edit_text(EditBox::Timeout)), "10");
    EXPECT_EQ(utf8(window.edit_text(EditBox::Keyword)), "");
    const CheckBox checked[] = {CheckBox::PromptExport, CheckBox::SwapNumbers, CheckBox::StrongMobile};
    for (int i = 0; i <= static_cast<int>(CheckBox::StrongMobile); ++i) {
        const auto box = CheckBox(i);
        EXPECT_EQ(window.is_checked(box), std::find(std::begin(checked), std::end(checked), box) !=
                                              std::end(checked))
            << i;
    }
    for (int i = 0; i <= static_cast<int>(Button::Export); ++i)
        EXPECT_TRUE(window.is_button_enabled(Button(i))) << i;
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_EQ(window.current_row(), -1);
}

TEST_F(LayoutTest, OnlyTheTimeOutBoxIsLimitedToThreeCharacters) {
    EXPECT_EQ(find<QLineEdit>(window, "编辑框_超时")->maxLength(), 3);
    for (const char* name : {"编辑框_关键词", "编辑框_地址", "编辑框_过滤", "编辑框_线程"})
        EXPECT_EQ(find<QLineEdit>(window, name)->maxLength(), QLineEdit().maxLength()) << name;
}

TEST_F(LayoutTest, WindowIsAFixedCentredWindowWithoutMaximiseBox) {
    MainWindow* w = window.widget();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("澜驿采集-Tolvane-Quillaby"));
    EXPECT_EQ(w->minimumSize(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
    EXPECT_EQ(w->maximumSize(), w->minimumSize());
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);

    const QRect screen = w->screen()->geometry();
    EXPECT_EQ(w->pos(), QPoint(screen.x() + (screen.width() - 898) / 2,
                               screen.y() + (screen.height() - 550) / 2));
}

TEST_F(LayoutTest, IconComesInThreeSizes) {
    const QList<QSize> sizes = window.widget()->windowIcon().availableSizes();
    for (int side : {16, 32, 64}) EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

TEST_F(LayoutTest, ListIsAPlainReportView) {
    auto* view = find<QTableView>(window, "result_list");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), QRect(6, 38, 879, 419));
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(view->isSortingEnabled());
    EXPECT_FALSE(view->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(view->horizontalHeader()->sectionsMovable());
    EXPECT_TRUE(view->horizontalHeader()->isVisible());
    EXPECT_EQ(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(view->model()->rowCount(), 0);
}

TEST_F(LayoutTest, ListColumnsHaveTitlesAndWidths) {
    struct Column {
        const char* title;
        int width;
    };
    const Column columns[kColumnCount] = {{"序", 55},   {"ID", 0},   {"公司名", 200}, {"联系人", 60},
                                          {"手机", 100}, {"电话", 110}, {"传真", 70},    {"邮箱", 70},
                                          {"QQ", 70},   {"地址", 120}};
    auto* view = find<QTableView>(window, "result_list");
    ASSERT_EQ(view->model()->columnCount(), kColumnCount);
    for (int c = 0; c < kColumnCount; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(columns[c].title));
        EXPECT_EQ(view->columnWidth(c), columns[c].width);
    }
}

TEST_F(LayoutTest, HiddenIdColumnStillHoldsTheId) {
    window.list().append_company(GbkText("acme"), gbk("澜驿五金"));
    auto* view = find<QTableView>(window, "result_list");
    ASSERT_TRUE(wait_until([&] { return view->model()->rowCount() == 1; }));
    EXPECT_EQ(view->columnWidth(kColId), 0);
    EXPECT_EQ(view->model()->index(0, kColId).data().toString(), QStringLiteral("acme"));
    EXPECT_EQ(view->model()->index(0, kColName).data().toString(), QStringLiteral("澜驿五金"));
    EXPECT_EQ(view->model()->index(0, kColNumber).data().toString(), QStringLiteral("1"));
    EXPECT_FALSE(view->model()->flags(view->model()->index(0, 2)) & Qt::ItemIsEditable);
}

TEST_F(LayoutTest, StatusBarHasTenSunkenPartsWithInitialTexts) {
    struct Part {
        const char* text;
        int left;
        int width;
    };
    const Part parts[kStatusParts] = {
        {" 关键字:", 0, 120}, {"过滤字:", 120, 100}, {"地址:", 220, 90},   {"共0页", 310, 70},
        {"共0条", 380, 80},   {"第0条", 460, 80},    {"过滤0条", 540, 70}, {"有效0条", 610, 100},
        {"状态:未开始", 710, 80}, {"", 790, MainWindow::kClientWidth - 790},
    };
    QWidget* bar = find(window, "status_bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry().width(), MainWindow::kClientWidth);
    EXPECT_EQ(bar->geometry().bottom(), MainWindow::kClientHeight - 1);
    for (int i = 0; i < kStatusParts; ++i) {
        SCOPED_TRACE(i);
        auto* label = find<QLabel>(window, QStringLiteral("status_part_%1").arg(i).toUtf8().constData());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(parts[i].text));
        EXPECT_EQ(label->geometry().left(), parts[i].left);
        EXPECT_EQ(label->geometry().width(), parts[i].width);
        EXPECT_EQ(label->frameShadow(), QFrame::Sunken);
        EXPECT_EQ(utf8(window.status_part(i)), parts[i].text);
    }
}

// The note label reaches into the status bar's band; the bar lies below its
// text, so neither hides the other.
TEST_F(LayoutTest, NoteLabelAndStatusBarDoNotOverlap) {
    QWidget* note = find(window, "note_label");
    QWidget* bar = find(window, "status_bar");
    EXPECT_LE(note->geometry().bottom(), bar->geometry().top());
    for (const ControlCase& c : kControls) {
        if (std::string_view(c.name) == "note_label") continue;
        EXPECT_FALSE(find(window, c.name)->geometry().intersects(bar->geometry())) << c.name;
    }
}

}  // namespace
}  // namespace lanyi::test
