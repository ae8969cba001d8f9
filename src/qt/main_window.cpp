#include "qt/main_window.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

#include "qt/digit_key_filter.h"
#include "qt/grid_label.h"
#include "qt/qt_text.h"
#include "ui/result_list.h"
#include "ui/status_texts.h"

namespace lanyi {

namespace {

struct EditSpec {
    const char* name;
    QRect place;
    const char* text;
    bool number_box;
    int max_length;  // 0: no limit
};

// In EditBox order.
const EditSpec kEdits[] = {
    {"编辑框_关键词", {51, 11, 73, 22}, "", false, 0},
    {"编辑框_地址", {160, 11, 89, 22}, "", false, 0},
    {"编辑框_过滤", {286, 11, 53, 22}, "", false, 0},
    {"编辑框_线程", {376, 11, 36, 22}, "10", true, 0},
    {"编辑框_超时", {446, 11, 36, 22}, "10", true, 3},
};

struct ButtonSpec {
    const char* name;
    QRect place;
    const char* caption;
};

// In Button order.
const ButtonSpec kButtons[] = {
    {"按钮_开始公司", {488, 8, 83, 26}, "开始采集公司"},
    {"按钮_开始信息", {574, 8, 83, 26}, "采集公司信息"},
    {"按钮_停止", {660, 8, 44, 26}, "停止"},
    {"按钮_清空公司", {707, 8, 63, 26}, "清空全部"},
    {"按钮_清空信息", {773, 8, 63, 26}, "清空信息"},
    {"按钮_导出", {839, 8, 44, 26}, "导出"},
};

struct CheckSpec {
    const char* name;
    QRect place;
    const char* caption;
    bool checked;
};

// In CheckBox order.
const CheckSpec kChecks[] = {
    {"选择框_联系人", {52, 462, 64, 16}, "联系人", false},
    {"选择框_手机", {112, 462, 52, 16}, "手机", false},
    {"选择框_电话", {161, 462, 52, 16}, "电话", false},
    {"选择框_传真", {212, 462, 52, 16}, "传真", false},
    {"选择框_邮箱", {261, 462, 52, 16}, "邮箱", false},
    {"选择框_QQ", {312, 462, 52, 16}, "QQ", false},
    {"选择框_地址", {352, 462, 52, 16}, "地址", false},
    {"选择框_采集确认", {548, 462, 93, 16}, "信息采集确认", false},
    {"选择框_导出提示", {642, 462, 71, 16}, "提示导出", true},
    {"选择框_手机电话识别", {714, 462, 95, 16}, "号码识别交换", true},
    {"选择框_手机号强过滤", {809, 462, 80, 16}, "手机强过滤", true},
};

const int kColumnWidths[kColumnCount] = {55, 0, 200, 60, 100, 110, 70, 70, 70, 120};

// Right edges of status parts 0-8; part 9 fills the rest.
const int kStatusRightEdges[kStatusParts - 1] = {120, 220, 310, 380, 460, 540, 610, 710, 790};
// The bar lies along the bottom edge of the client area, below the note label.
constexpr int kStatusBarHeight = 20;

template <class Label = QLabel>
QLabel* make_label(QWidget* parent, const char* name, const QRect& place, const QString& text) {
    auto* label = new Label(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);  // keeps the runs of spaces as they are
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(false);
    return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("澜驿采集-Tolvane-Quillaby"));
    setFixedSize(kClientWidth, kClientHeight);

    build_top_row();
    build_list();
    build_bottom_rows();
    build_status_bar();
}

void MainWindow::build_top_row() {
    make_label<GridLabel>(this, "caption_label", {10, 9, 438, 24},
               QStringLiteral("关键字              地址                 过滤           线程        超时"));
    for (int i = 0; i < 5; ++i) {
        const EditSpec& entry = kEdits[i];
        auto* edit = new QLineEdit(QString::fromUtf8(entry.text), this);
        edit->setObjectName(QString::fromUtf8(entry.name));
        edit->setGeometry(entry.place);
        edit->setAlignment(Qt::AlignCenter);
        if (entry.max_length > 0) edit->setMaxLength(entry.max_length);
        if (entry.number_box) edit->installEventFilter(new DigitKeyFilter(edit));
        edit->installEventFilter(this);
        edits_[i] = edit;
    }
    for (int i = 0; i < 6; ++i) {
        const ButtonSpec& entry = kButtons[i];
        auto* button = new QPushButton(QString::fromUtf8(entry.caption), this);
        button->setObjectName(QString::fromUtf8(entry.name));
        button->setGeometry(entry.place);
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
        buttons_[i] = button;
    }
}

void MainWindow::build_list() {
    auto* view = new QTableView(this);
    view->setObjectName(QStringLiteral("result_list"));
    view->setGeometry(6, 38, 879, 419);
    view->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setTabKeyNavigation(false);

    QPalette palette = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    // No visible selection while the list does not have the focus.
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    view->setPalette(palette);

    // Every row the same height: the view then needs no per-row measuring,
    // which keeps 100,000 rows smooth.
    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* columns = view->horizontalHeader();
    columns->setSectionsClickable(false);
    columns->setSectionsMovable(false);
    columns->setHighlightSections(false);
    columns->setSortIndicatorShown(false);
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(0);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    list_view_ = view;
}

void MainWindow::build_bottom_rows() {
    make_label(this, "required_label", {8, 457, 80, 24}, QStringLiteral("不可空:"));
    for (int i = 0; i < 11; ++i) {
        const CheckSpec& entry = kChecks[i];
        auto* box = new QCheckBox(QString::fromUtf8(entry.caption), this);
        box->setObjectName(QString::fromUtf8(entry.name));
        box->setGeometry(entry.place);
        box->setChecked(entry.checked);
        box->installEventFilter(this);
        checks_[i] = box;
    }
    make_label(this, "note_label", {8, 477, 876, 24},
               QStringLiteral("注:地址说明 例（市）广东省:广州市  例（省1）广东省  例（省2）北京      "
                              "市（xx省:xx市）   省（xx省 或 xx）"));
}

void MainWindow::build_status_bar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("status_bar"));
    bar->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
    const auto texts = initial_status_texts();
    int left = 0;
    for (int part = 0; part < kStatusParts; ++part) {
        const int right = part < kStatusParts - 1 ? kStatusRightEdges[part] : kClientWidth;
        auto* label = new QLabel(to_qstring(texts[part]), bar);
        label->setObjectName(QStringLiteral("status_part_%1").arg(part));
        label->setGeometry(left, 0, right - left, kStatusBarHeight);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setIndent(2);
        status_[part] = label;
        left = right;
    }
}

void MainWindow::set_list_model(QAbstractItemModel* model) {
    list_view_->setModel(model);
    std::array<int, kColumnCount> widths;
    std::copy(std::begin(kColumnWidths), std::end(kColumnWidths), widths.begin());
    set_column_widths(widths);
}

std::array<int, kColumnCount> MainWindow::column_widths() const {
    std::array<int, kColumnCount> widths{};
    for (int c = 0; c < kColumnCount; ++c) widths[c] = list_view_->horizontalHeader()->sectionSize(c);
    return widths;
}

void MainWindow::set_column_widths(const std::array<int, kColumnCount>& widths) {
    for (int c = 0; c < kColumnCount; ++c) list_view_->horizontalHeader()->resizeSection(c, widths[c]);
}

void MainWindow::centre_on_screen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kOuterWidth) / 2, area.y() + (area.height() - kOuterHeight) / 2);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closeRequested();
    event->accept();
    emit closed();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Esc closes the window whichever control has the focus (the list would
// otherwise take it as a search key); a left double click anywhere in the
// list, rows or empty space, is the list's double-click event.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && list_view_ &&
               watched == list_view_->viewport()) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) emit listDoubleClicked();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lanyi
