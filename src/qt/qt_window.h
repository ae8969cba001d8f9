// The Qt window: the Window interface over the widgets of MainWindow.
//
// Threads. Create, show, close and destroy it on the GUI thread, with a
// QApplication alive. Every Window method may be called from any thread;
// widgets are touched on the GUI thread only:
// - Setters record the new value in a mirror of the controls' state (one
//   mutex) and have the GUI thread bring the widget up to the mirror; called
//   on the GUI thread they do so at once. Repeated writes to a status part,
//   button or the timer before the GUI thread gets to them coalesce.
// - Getters read the mirror, so a worker never waits for the GUI thread; the
//   GUI thread keeps the mirror current on every change the user makes.
// - show_message, ask_yes_no and choose_save_path run their dialog on the GUI
//   thread; a worker waits for the answer. From the moment the window closes
//   they return at once (nothing, No, nothing), and a worker already waiting
//   is released with that answer, so no worker waits for a window that is gone.
// - Events reach the WindowEvents object on the GUI thread only, and none after
//   the close request.
// The list's data lives in the ResultList; the view catches up with it on a
// short GUI-thread timer, so any number of workers may write it.
//
// Lifetime: whatever calls into the window from other threads (the harvest and
// its workers) must be stopped before the window is destroyed.
#pragma once

#include <QPointer>

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "ui/result_list.h"
#include "ui/window.h"

class QDialog;
class QObject;
class QTimer;

namespace lanyi {

class GuiQueue;
class MainWindow;
class ResultModel;

class QtWindow final : public Window {
public:
    // Builds the window, hidden. Without a list the window owns one; a list
    // given here must outlive the window.
    explicit QtWindow(ResultList* list = nullptr);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    // GUI thread. The events object must outlive the window, or be detached
    // with set_events(nullptr) first.
    void set_events(WindowEvents* events);
    // Runs on the GUI thread right after the close request was handled and the
    // window has accepted closing; the application ends itself from here.
    void set_on_closed(std::function<void()> hook);
    // Centres the window on its screen, shows it and raises window_created.
    void show();
    // Closes the window as its close box does.
    void close();

    bool closing() const;
    // How often the elapsed timer was started or restarted.
    int timer_starts() const { return timer_starts_.load(); }
    MainWindow* widget() const { return main_.get(); }

    // Window
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

    // What the controls hold, as seen from any thread. Guarded by mutex_.
    struct Mirror {
        std::array<GbkText, kEditBoxes> edit;
        std::array<bool, kCheckBoxes> checked{};
        std::array<bool, kButtons> enabled{};
        std::array<GbkText, kStatusParts> status;
        int timer_period = 0;
        int current_row = -1;
        RowKey current_key = 0;  // the selected row's key, to find it again after a reset
        bool closing = false;
        // A GUI-thread update is on its way for these.
        std::array<bool, kStatusParts> status_pending{};
        std::array<bool, kButtons> enabled_pending{};
        bool timer_pending = false;
        bool timer_restart = false;
    };

    void connect_widgets();
    bool on_gui_thread() const;
    void begin_shutdown();
    void handle_close_request();

    // GUI thread: bring a widget up to the mirror.
    void apply_status(int part);
    void apply_button(int button);
    void apply_timer();
    void apply_edit(EditBox box);
    void note_selection();
    void sync_list();

    // GUI thread: the dialogs.
    void run_message(const GbkText& text, const GbkText& caption);
    bool run_question(const GbkText& text, const GbkText& caption);
    std::optional<std::string> run_save_dialog(const GbkText& proposed_name, const std::string& folder);

    // Runs `run` on the GUI thread and waits for its result; if_closing once
    // the window is closing.
    template <class T>
    T call_on_gui(std::function<T()> run, T if_closing);

    std::unique_ptr<ResultList> owned_list_;
    ResultList& list_;

    mutable std::mutex mutex_;
    std::condition_variable answered_;  // a dialog answered, or the window closing
    Mirror mirror_;
    std::atomic<int> timer_starts_{0};

    // GUI thread only.
    WindowEvents* events_ = nullptr;
    std::function<void()> on_closed_;
    bool close_handled_ = false;
    QPointer<QDialog> open_dialog_;

    // Destroyed in reverse: the queue (dropping what is still queued) before
    // the widgets, the widgets before the model they show. The destructor
    // drops signal_context_ first, cutting every widget signal to this object.
    std::unique_ptr<ResultModel> model_;
    std::unique_ptr<QObject> signal_context_;
    std::unique_ptr<MainWindow> main_;
    QTimer* elapsed_timer_ = nullptr;  // children of main_
    QTimer* list_sync_timer_ = nullptr;
    std::unique_ptr<GuiQueue> queue_;
};

}  // namespace lanyi
