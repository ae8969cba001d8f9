// The main window's widgets: every control at its place and size with its
// caption, initial text and checked state, and nothing else. It knows no
// harvest; QtWindow wires its signals to the window events.
//
// GUI thread only. Owns its child widgets; the list view's model is set by
// the owner and must outlive the view.
#pragma once

#include <QWidget>

#include <array>

#include "ui/result_list.h"
#include "ui/window.h"

class QAbstractItemModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lanyi {

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // The client area. The outer size is 898 x 550: this plus a fixed single
    // border of 3 pixels on each side and a 23-pixel title bar.
    static constexpr int kClientWidth = 892;
    static constexpr int kClientHeight = 521;
    static constexpr int kOuterWidth = 898;
    static constexpr int kOuterHeight = 550;

    explicit MainWindow(QWidget* parent = nullptr);

    QLineEdit* edit(EditBox box) const { return edits_[static_cast<int>(box)]; }
    QCheckBox* check(CheckBox box) const { return checks_[static_cast<int>(box)]; }
    QPushButton* button(Button button) const { return buttons_[static_cast<int>(button)]; }
    QLabel* status_label(int part) const { return status_[part]; }
    QTableView* list_view() const { return list_view_; }

    // Shows the model in the list and gives its columns their widths.
    void set_list_model(QAbstractItemModel* model);
    std::array<int, kColumnCount> column_widths() const;
    void set_column_widths(const std::array<int, kColumnCount>& widths);

    // Puts the window's outer frame in the middle of its screen.
    void centre_on_screen();

signals:
    // The user or the program asked the window to close (close box, system
    // menu, Alt+F4, Esc, close()). The window always closes afterwards.
    void closeRequested();
    // Emitted right after closeRequested, once the close is accepted.
    void closed();
    // A left double click anywhere in the list.
    void listDoubleClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_top_row();
    void build_list();
    void build_bottom_rows();
    void build_status_bar();

    std::array<QLineEdit*, 5> edits_{};
    std::array<QPushButton*, 6> buttons_{};
    std::array<QCheckBox*, 11> checks_{};
    std::array<QLabel*, kStatusParts> status_{};
    QTableView* list_view_ = nullptr;
};

}  // namespace lanyi
