#include "qt/qt_window.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

#include "qt/app_icon.h"
#include "qt/gui_queue.h"
#include "qt/main_window.h"
#include "qt/qt_text.h"
#include "qt/result_model.h"
#include "ui/status_texts.h"

namespace lanyi {

namespace {

// Often enough that the list looks live, seldom enough that 50 workers
// appending cost the GUI thread next to nothing.
constexpr int kListSyncMs = 60;

template <class Enum>
int slot(Enum e) {
    return static_cast<int>(e);
}

}  // namespace

QtWindow::QtWindow(ResultList* list)
    : owned_list_(list ? nullptr : std::make_unique<ResultList>()),
      list_(list ? *list : *owned_list_),
      model_(std::make_unique<ResultModel>(list_)),
      signal_context_(std::make_unique<QObject>()),
      main_(std::make_unique<MainWindow>()),
      queue_(std::make_unique<GuiQueue>()) {
    main_->setWindowIcon(app_icon());
    main_->set_list_model(model_.get());

    for (int i = 0; i < kEditBoxes; ++i) mirror_.edit[i] = to_gbk(main_->edit(EditBox(i))->text());
    for (int i = 0; i < kCheckBoxes; ++i) mirror_.checked[i] = main_->check(CheckBox(i))->isChecked();
    for (int i = 0; i < kButtons; ++i) mirror_.enabled[i] = main_->button(Button(i))->isEnabled();
    mirror_.status = initial_status_texts();

    elapsed_timer_ = new QTimer(main_.get());
    elapsed_timer_->setObjectName(QStringLiteral("elapsed_timer"));
    list_sync_timer_ = new QTimer(main_.get());
    list_sync_timer_->setObjectName(QStringLiteral("list_sync_timer"));
    connect_widgets();
    list_sync_timer_->start(kListSyncMs);
}

QtWindow::~QtWindow() {
    // Signals of widgets being torn down must not reach this half-gone object.
    signal_context_.reset();
    begin_shutdown();
    queue_.reset();
    main_.reset();
}

void QtWindow::connect_widgets() {
    MainWindow* w = main_.get();
    QObject* ctx = signal_context_.get();
    for (int i = 0; i < kEditBoxes; ++i) {
        const auto box = EditBox(i);
        QObject::connect(w->edit(box), &QLineEdit::textEdited, ctx, [this, box](const QString& text) {
            {
                std::lock_guard lock(mutex_);
                mirror_.edit[slot(box)] = to_gbk(text);
            }
            if (events_ && !closing()) events_->edit_changed(box);
        });
    }
    for (int i = 0; i < kCheckBoxes; ++i) {
        QObject::connect(w->check(CheckBox(i)), &QCheckBox::toggled, ctx, [this, i](bool checked) {
            std::lock_guard lock(mutex_);
            mirror_.checked[i] = checked;
        });
    }
    for (int i = 0; i < kButtons; ++i) {
        const auto button = Button(i);
        QObject::connect(w->button(button), &QPushButton::clicked, ctx, [this, button] {
            if (events_ && !closing()) events_->button_clicked(button);
        });
    }
    QObject::connect(w->list_view()->selectionModel(), &QItemSelectionModel::selectionChanged, ctx,
                     [this] { note_selection(); });
    QObject::connect(w, &MainWindow::listDoubleClicked, ctx, [this] {
        if (events_ && !closing()) events_->list_double_clicked();
    });
    QObject::connect(w, &MainWindow::closeRequested, ctx, [this] { handle_close_request(); });
    QObject::connect(w, &MainWindow::closed, ctx, [this] {
        if (on_closed_) on_closed_();
    });
    QObject::connect(elapsed_timer_, &QTimer::timeout, ctx, [this] {
        if (events_ && !closing()) events_->timer_tick();
    });
    QObject::connect(list_sync_timer_, &QTimer::timeout, ctx, [this] { sync_list(); });
}

bool QtWindow::on_gui_thread() const { return queue_->on_gui_thread(); }

void QtWindow::set_events(WindowEvents* events) { events_ = events; }

void QtWindow::set_on_closed(std::function<void()> hook) { on_closed_ = std::move(hook); }

void QtWindow::show() {
    main_->centre_on_screen();
    main_->show();
    if (events_) events_->window_created();
}

void QtWindow::close() { main_->close(); }

bool QtWindow::closing() const {
    std::lock_guard lock(mutex_);
    return mirror_.closing;
}

void QtWindow::begin_shutdown() {
    {
        std::lock_guard lock(mutex_);
        mirror_.closing = true;
    }
    answered_.notify_all();
    if (open_dialog_) open_dialog_->reject();
}

void QtWindow::handle_close_request() {
    if (close_handled_) return;
    close_handled_ = true;
    begin_shutdown();
    if (events_) events_->close_requested();
}

// --- list and selection ---

int QtWindow::current_row() {
    std::lock_guard lock(mutex_);
    return mirror_.current_row;
}

void QtWindow::note_selection() {
    const QModelIndexList rows = main_->list_view()->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    const RowKey key = row >= 0 ? list_.key_of(row) : 0;
    std::lock_guard lock(mutex_);
    mirror_.current_row = row;
    mirror_.current_key = key;
}

void QtWindow::sync_list() {
    const auto widths = main_->column_widths();
    if (model_->sync() != ResultModel::SyncResult::Reset) return;
    // A reset forgets the column widths and the selection: give back both,
    // the selection to the same company wherever it moved.
    main_->set_column_widths(widths);
    RowKey key = 0;
    {
        std::lock_guard lock(mutex_);
        key = mirror_.current_key;
    }
    const int row = key != 0 ? list_.index_of(key) : -1;
    if (row >= 0 && row < model_->rowCount())
        main_->list_view()->selectRow(row);
    else
        note_selection();
}

// --- status bar ---

void QtWindow::set_status_part(int part, const GbkText& text) {
    if (part < 0 || part >= kStatusParts) return;
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        mirror_.status[part] = text;
        post = !std::exchange(mirror_.status_pending[part], true);
    }
    if (on_gui_thread())
        apply_status(part);
    else if (post)
        queue_->post([this, part] { apply_status(part); });
}

GbkText QtWindow::status_part(int part) {
    if (part < 0 || part >= kStatusParts) return {};
    std::lock_guard lock(mutex_);
    return mirror_.status[part];
}

void QtWindow::apply_status(int part) {
    GbkText text;
    {
        std::lock_guard lock(mutex_);
        text = mirror_.status[part];
        mirror_.status_pending[part] = false;
    }
    main_->status_label(part)->setText(to_qstring(text));
}

// --- edit boxes and check boxes ---

GbkText QtWindow::edit_text(EditBox box) {
    std::lock_guard lock(mutex_);
    return mirror_.edit[slot(box)];
}

// One GUI-thread update per write, each raising the event once.
void QtWindow::set_edit_text(EditBox box, const GbkText& text) {
    {
        std::lock_guard lock(mutex_);
        mirror_.edit[slot(box)] = text;
    }
    if (on_gui_thread())
        apply_edit(box);
    else
        queue_->post([this, box] { apply_edit(box); });
}

void QtWindow::apply_edit(EditBox box) {
    GbkText text;
    {
        std::lock_guard lock(mutex_);
        text = mirror_.edit[slot(box)];
    }
    QLineEdit* edit = main_->edit(box);
    const QString shown = to_qstring(text);
    {
        // The event is raised below, exactly once, whether or not the text changed.
        const QSignalBlocker blocker(edit);
        edit->setText(shown);
    }
    if (edit->text() != shown) {  // cut to the box's length limit
        std::lock_guard lock(mutex_);
        mirror_.edit[slot(box)] = to_gbk(edit->text());
    }
    if (events_ && !closing()) events_->edit_changed(box);
}

bool QtWindow::is_checked(CheckBox box) {
    std::lock_guard lock(mutex_);
    return mirror_.checked[slot(box)];
}

// --- buttons ---

void QtWindow::set_button_enabled(Button button, bool enabled) {
    const int i = slot(button);
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        mirror_.enabled[i] = enabled;
        post = !std::exchange(mirror_.enabled_pending[i], true);
    }
    if (on_gui_thread())
        apply_button(i);
    else if (post)
        queue_->post([this, i] { apply_button(i); });
}

bool QtWindow::is_button_enabled(Button button) {
    std::lock_guard lock(mutex_);
    return mirror_.enabled[slot(button)];
}

void QtWindow::apply_button(int button) {
    bool enabled = false;
    {
        std::lock_guard lock(mutex_);
        enabled = mirror_.enabled[button];
        mirror_.enabled_pending[button] = false;
    }
    main_->button(Button(button))->setEnabled(enabled);
}

// --- elapsed timer ---

int QtWindow::timer_period() {
    std::lock_guard lock(mutex_);
    return mirror_.timer_period;
}

void QtWindow::set_timer_period(int milliseconds) {
    const int period = std::max(milliseconds, 0);
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        if (period == mirror_.timer_period) return;
        mirror_.timer_period = period;
        mirror_.timer_restart = period > 0;
        post = !std::exchange(mirror_.timer_pending, true);
    }
    if (on_gui_thread())
        apply_timer();
    else if (post)
        queue_->post([this] { apply_timer(); });
}

void QtWindow::apply_timer() {
    int period = 0;
    bool restart = false;
    {
        std::lock_guard lock(mutex_);
        period = mirror_.timer_period;
        restart = std::exchange(mirror_.timer_restart, false);
        mirror_.timer_pending = false;
    }
    if (period <= 0) {
        elapsed_timer_->stop();
    } else if (restart || !elapsed_timer_->isActive() || elapsed_timer_->interval() != period) {
        elapsed_timer_->start(period);
        ++timer_starts_;
    }
}

// --- dialogs ---

template <class T>
T QtWindow::call_on_gui(std::function<T()> run, T if_closing) {
    if (on_gui_thread()) return closing() ? if_closing : run();

    struct Reply {
        std::optional<T> value;  // guarded by mutex_
    };
    auto reply = std::make_shared<Reply>();
    {
        std::lock_guard lock(mutex_);
        if (mirror_.closing) return if_closing;
    }
    queue_->post([this, reply, run = std::move(run), if_closing] {
        T value = closing() ? if_closing : run();
        {
            std::lock_guard lock(mutex_);
            reply->value = std::move(value);
        }
        answered_.notify_all();
    });
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return reply->value.has_value() || mirror_.closing; });
    return reply->value ? std::move(*reply->value) : if_closing;
}

void QtWindow::show_message(const GbkText& text, const GbkText& caption) {
    call_on_gui<bool>(
        [this, text, caption] {
            run_message(text, caption);
            return true;
        },
        false);
}

bool QtWindow::ask_yes_no(const GbkText& text, const GbkText& caption) {
    return call_on_gui<bool>([this, text, caption] { return run_question(text, caption); }, false);
}

std::optional<std::string> QtWindow::choose_save_path(const GbkText& proposed_name,
                                                      const std::string& folder) {
    return call_on_gui<std::optional<std::string>>(
        [this, proposed_name, folder] { return run_save_dialog(proposed_name, folder); },
        std::nullopt);
}

void QtWindow::run_message(const GbkText& text, const GbkText& caption) {
    QMessageBox box(QMessageBox::NoIcon, to_qstring(caption), to_qstring(text), QMessageBox::Ok,
                    main_.get());
    box.setObjectName(QStringLiteral("message_box"));
    open_dialog_ = &box;
    box.exec();
    open_dialog_ = nullptr;
}

bool QtWindow::run_question(const GbkText& text, const GbkText& caption) {
    QMessageBox box(QMessageBox::Question, to_qstring(caption), to_qstring(text),
                    QMessageBox::Yes | QMessageBox::No, main_.get());
    box.setObjectName(QStringLiteral("question_box"));
    open_dialog_ = &box;
    const int answer = box.exec();
    open_dialog_ = nullptr;
    return answer == QMessageBox::Yes;
}

std::optional<std::string> QtWindow::run_save_dialog(const GbkText& proposed_name,
                                                     const std::string& folder) {
    QFileDialog dialog(main_.get(), QStringLiteral("保存采集"));
    dialog.setObjectName(QStringLiteral("save_dialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The description itself shows the pattern; Qt reads the one in the
    // trailing ASCII parentheses.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QStringLiteral("文本文件（*.csv） (*.csv)"));
    dialog.setDefaultSuffix(QString());
    dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(folder)));
    dialog.selectFile(to_qstring(proposed_name));
    open_dialog_ = &dialog;
    const int result = dialog.exec();
    open_dialog_ = nullptr;
    const QStringList chosen = dialog.selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty()) return std::nullopt;
    return QFile::encodeName(chosen.first()).toStdString();
}

// --- clipboard and browser ---

void QtWindow::set_clipboard(const GbkText& text) {
    auto apply = [text] { QGuiApplication::clipboard()->setText(to_qstring(text)); };
    if (on_gui_thread())
        apply();
    else
        queue_->post(std::move(apply));
}

// Only web addresses: the text comes from harvested pages, and handing any
// other scheme (file:, a custom handler) to the desktop is not ours to do.
void QtWindow::open_url(const GbkText& url) {
    const QUrl target(to_qstring(url), QUrl::StrictMode);
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return;
    auto apply = [this, target] {
        if (!closing()) QDesktopServices::openUrl(target);
    };
    if (on_gui_thread())
        apply();
    else
        queue_->post(std::move(apply));
}

}  // namespace lanyi
