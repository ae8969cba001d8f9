// A window without a screen, for the command line and the tests. It keeps
// every control's state in memory, raises the same events as a real window
// when its caller acts as the user would, answers questions by a policy, and
// records every box, dialog, clipboard text and opened URL so a caller can see
// what a user would have seen.
//
// Thread-safe: every method may be called from any thread. One mutex guards
// the state; it is never held while events, the status listener or the
// question policy run, so they may call back into the window. Events run on
// the thread that caused them (the caller of set_edit_text, click, ...).
// The WindowEvents object must outlive its registration; set_events(nullptr)
// detaches it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/result_list.h"
#include "ui/window.h"

namespace lanyi {

class HeadlessWindow final : public Window {
public:
    enum class DialogKind { Message, Question };
    struct Dialog {
        DialogKind kind;
        GbkText text;
        GbkText caption;
        bool answer = false;  // a question's answer; false for a message
    };
    struct SaveRequest {
        GbkText proposed_name;
        std::string folder;
    };
    using QuestionPolicy = std::function<bool(const GbkText& text, const GbkText& caption)>;
    // Called after every status write, on the writing thread, possibly from
    // several threads at once.
    using StatusListener = std::function<void(int part, const GbkText& text)>;

    // Boxes, check boxes, buttons and status parts hold a new window's values.
    HeadlessWindow();

    // --- set up by the caller ---
    void set_events(WindowEvents* events);
    void set_status_listener(StatusListener listener);
    void set_question_policy(QuestionPolicy policy);  // empty: every answer is No
    // What the save dialog returns from now on; nothing means cancelled.
    void set_save_path(std::optional<std::string> path);
    void set_checked(CheckBox box, bool checked);
    void set_current_row(int row);  // -1: no selection

    // --- the user's acts: each raises its event ---
    void create();                 // window_created
    bool click(Button button);     // false, and no event, while the button is disabled
    void tick_timer();             // timer_tick
    void double_click_list();      // list_double_clicked
    // The window is closing from now on (questions are answered No at once),
    // then close_requested.
    void request_close();

    // --- what a user would have seen ---
    std::vector<Dialog> dialogs() const;
    std::vector<SaveRequest> save_requests() const;
    GbkText clipboard() const;
    std::vector<GbkText> opened_urls() const;
    int timer_starts() const;  // how often the timer was started or restarted
    bool closing() const;

    // --- Window ---
    ResultList& list() override { return list_; }
    int current_row() override;
    void set_status_part(int part, const GbkText& text) override;
    GbkText status_part(int part) override;
    GbkText edit_text(EditBox box) override;
    void set_edit_text(EditBox box, const GbkText& text) override;
    bool is_checked(CheckBox box) override;
    void set_button_enabled(Button button, bool enabled) override;
    bool is_button_enabled(Button button) override;
    int timer_period() override;
    void set_timer_period(int milliseconds) override;
    void show_message(const GbkText& text, const GbkText& caption) override;
    bool ask_yes_no(const GbkText& text, const GbkText& caption) override;
    void set_clipboard(const GbkText& text) override;
    std::optional<std::string> choose_save_path(const GbkText& proposed_name,
                                                const std::string& folder) override;
    void open_url(const GbkText& url) override;

private:
    static constexpr int kEditBoxes = 5;
    static constexpr int kCheckBoxes = 11;
    static constexpr int kButtons = 6;

    WindowEvents* events() const;

    ResultList list_;

    mutable std::mutex mutex_;
    WindowEvents* events_ = nullptr;
    std::shared_ptr<const StatusListener> status_listener_;
    std::shared_ptr<const QuestionPolicy> question_policy_;
    std::array<GbkText, kEditBoxes> edit_texts_;
    std::array<bool, kCheckBoxes> checked_{};
    std::array<bool, kButtons> enabled_{};
    std::array<GbkText, kStatusParts> status_;
    int timer_period_ = 0;
    int timer_starts_ = 0;
    int current_row_ = -1;
    bool closing_ = false;
    std::optional<std::string> save_path_;
    std::vector<Dialog> dialogs_;
    std::vector<SaveRequest> save_requests_;
    GbkText clipboard_;
    std::vector<GbkText> opened_urls_;
};

}  // namespace lanyi
