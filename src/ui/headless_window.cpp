#include "ui/headless_window.h"

#include "ui/status_texts.h"

namespace lanyi {

namespace {

template <class Enum>
std::size_t slot(Enum e) {
    return static_cast<std::size_t>(e);
}

}  // namespace

HeadlessWindow::HeadlessWindow() {
    edit_texts_[slot(EditBox::Threads)] = GbkText("10");
    edit_texts_[slot(EditBox::Timeout)] = GbkText("10");
    checked_[slot(CheckBox::PromptExport)] = true;
    checked_[slot(CheckBox::SwapNumbers)] = true;
    checked_[slot(CheckBox::StrongMobile)] = true;
    enabled_.fill(true);
    status_ = initial_status_texts();
}

WindowEvents* HeadlessWindow::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

void HeadlessWindow::set_events(WindowEvents* events) {
    std::lock_guard lock(mutex_);
    events_ = events;
}

void HeadlessWindow::set_status_listener(StatusListener listener) {
    auto shared = listener ? std::make_shared<const StatusListener>(std::move(listener)) : nullptr;
    std::lock_guard lock(mutex_);
    status_listener_ = std::move(shared);
}

void HeadlessWindow::set_question_policy(QuestionPolicy policy) {
    auto shared = policy ? std::make_shared<const QuestionPolicy>(std::move(policy)) : nullptr;
    std::lock_guard lock(mutex_);
    question_policy_ = std::move(shared);
}

void HeadlessWindow::set_save_path(std::optional<std::string> path) {
    std::lock_guard lock(mutex_);
    save_path_ = std::move(path);
}

void HeadlessWindow::set_checked(CheckBox box, bool checked) {
    std::lock_guard lock(mutex_);
    checked_[slot(box)] = checked;
}

void HeadlessWindow::set_current_row(int row) {
    std::lock_guard lock(mutex_);
    current_row_ = row;
}

void HeadlessWindow::create() {
    if (WindowEvents* e = events()) e->window_created();
}

bool HeadlessWindow::click(Button button) {
    if (!is_button_enabled(button)) return false;
    if (WindowEvents* e = events()) e->button_clicked(button);
    return true;
}

void HeadlessWindow::tick_timer() {
    if (WindowEvents* e = events()) e->timer_tick();
}

void HeadlessWindow::double_click_list() {
    if (WindowEvents* e = events()) e->list_double_clicked();
}

void HeadlessWindow::request_close() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    if (WindowEvents* e = events()) e->close_requested();
}

std::vector<HeadlessWindow::Dialog> HeadlessWindow::dialogs() const {
    std::lock_guard lock(mutex_);
    return dialogs_;
}

std::vector<HeadlessWindow::SaveRequest> HeadlessWindow::save_requests() const {
    std::lock_guard lock(mutex_);
    return save_requests_;
}

GbkText HeadlessWindow::clipboard() const {
    std::lock_guard lock(mutex_);
    return clipboard_;
}

std::vector<GbkText> HeadlessWindow::opened_urls() const {
    std::lock_guard lock(mutex_);
    return opened_urls_;
}

int HeadlessWindow::timer_starts() const {
    std::lock_guard lock(mutex_);
    return timer_starts_;
}

bool HeadlessWindow::closing() const {
    std::lock_guard lock(mutex_);
    return closing_;
}

int HeadlessWindow::current_row() {
    int row;
    {
        std::lock_guard lock(mutex_);
        row = current_row_;
    }
    // A selected row that has since been deleted is no selection.
    return row >= 0 && row < list_.row_count() ? row : -1;
}

void HeadlessWindow::set_status_part(int part, const GbkText& text) {
    if (part < 0 || part >= kStatusParts) return;
    std::shared_ptr<const StatusListener> listener;
    {
        std::lock_guard lock(mutex_);
        status_[static_cast<std::size_t>(part)] = text;
        listener = status_listener_;
    }
    if (listener) (*listener)(part, text);
}

GbkText HeadlessWindow::status_part(int part) {
    if (part < 0 || part >= kStatusParts) return {};
    std::lock_guard lock(mutex_);
    return status_[static_cast<std::size_t>(part)];
}

GbkText HeadlessWindow::edit_text(EditBox box) {
    std::lock_guard lock(mutex_);
    return edit_texts_[slot(box)];
}

void HeadlessWindow::set_edit_text(EditBox box, const GbkText& text) {
    WindowEvents* e;
    {
        std::lock_guard lock(mutex_);
        edit_texts_[slot(box)] = text;
        e = events_;
    }
    if (e) e->edit_changed(box);
}

bool HeadlessWindow::is_checked(CheckBox box) {
    std::lock_guard lock(mutex_);
    return checked_[slot(box)];
}

void HeadlessWindow::set_button_enabled(Button button, bool enabled) {
    std::lock_guard lock(mutex_);
    enabled_[slot(button)] = enabled;
}

bool HeadlessWindow::is_button_enabled(Button button) {
    std::lock_guard lock(mutex_);
    return enabled_[slot(button)];
}

int HeadlessWindow::timer_period() {
    std::lock_guard lock(mutex_);
    return timer_period_;
}

void HeadlessWindow::set_timer_period(int milliseconds) {
    const int period = milliseconds > 0 ? milliseconds : 0;
    std::lock_guard lock(mutex_);
    if (period == timer_period_) return;
    timer_period_ = period;
    if (period > 0) ++timer_starts_;
}

void HeadlessWindow::show_message(const GbkText& text, const GbkText& caption) {
    std::lock_guard lock(mutex_);
    dialogs_.push_back({DialogKind::Message, text, caption, false});
}

bool HeadlessWindow::ask_yes_no(const GbkText& text, const GbkText& caption) {
    std::shared_ptr<const QuestionPolicy> policy;
    {
        std::lock_guard lock(mutex_);
        if (!closing_) policy = question_policy_;
    }
    const bool yes = policy && (*policy)(text, caption);
    std::lock_guard lock(mutex_);
    dialogs_.push_back({DialogKind::Question, text, caption, yes});
    return yes;
}

void HeadlessWindow::set_clipboard(const GbkText& text) {
    std::lock_guard lock(mutex_);
    clipboard_ = text;
}

std::optional<std::string> HeadlessWindow::choose_save_path(const GbkText& proposed_name,
                                                            const std::string& folder) {
    std::lock_guard lock(mutex_);
    save_requests_.push_back({proposed_name, folder});
    return save_path_;
}

void HeadlessWindow::open_url(const GbkText& url) {
    std::lock_guard lock(mutex_);
    opened_urls_.push_back(url);
}

}  // namespace lanyi
