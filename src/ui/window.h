// The window as the harvest sees it.
//
// The phases reach the user only through this interface; the Qt window (qt/)
// and the headless window (headless_window.h) implement it. Every method may be
// called from any thread: an implementation whose toolkit lives on one thread
// marshals the call there. The result list's data is not held by the window
// but by the core ResultList it hands out, which has its own lock.
//
// Shutdown: once the window is closing, show_message returns and ask_yes_no
// answers No at once, so no worker waits on a window that is gone.
#pragma once

#include <optional>
#include <string>

#include "text/gbk_text.h"

namespace lanyi {

class ResultList;

enum class EditBox { Keyword, Region, Filter, Threads, Timeout };

enum class CheckBox {
    RequireContact,
    RequireMobile,
    RequireTelephone,
    RequireFax,
    RequireEmail,
    RequireQQ,
    RequireAddress,
    ConfirmContacts,  // "信息采集确认"
    PromptExport,     // "提示导出"
    SwapNumbers,      // "号码识别交换"
    StrongMobile,     // "手机强过滤"
};

enum class Button { StartCompanies, StartContacts, Stop, ClearAll, ClearContacts, Export };

inline constexpr int kStatusParts = 10;

// What the window tells the harvest. Called on the window's own thread (the
// GUI thread for the Qt window; the caller's thread for the headless one).
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void window_created() = 0;
    virtual void edit_changed(EditBox box) = 0;  // once per change of the text
    virtual void button_clicked(Button button) = 0;
    virtual void timer_tick() = 0;
    virtual void list_double_clicked() = 0;
    virtual void close_requested() = 0;
};

class Window {
public:
    virtual ~Window() = default;

    virtual ResultList& list() = 0;
    // 0-based index of the selected row, -1 when none.
    virtual int current_row() = 0;

    // Parts outside 0..9 are ignored.
    virtual void set_status_part(int part, const GbkText& text) = 0;
    virtual GbkText status_part(int part) = 0;

    virtual GbkText edit_text(EditBox box) = 0;
    // Replaces the text, then raises edit_changed(box) once.
    virtual void set_edit_text(EditBox box, const GbkText& text) = 0;
    virtual bool is_checked(CheckBox box) = 0;
    virtual void set_button_enabled(Button button, bool enabled) = 0;
    virtual bool is_button_enabled(Button button) = 0;

    // The elapsed timer. 0 or less stops it; writing the current period
    // changes nothing; another positive value (re)starts it.
    virtual int timer_period() = 0;
    virtual void set_timer_period(int milliseconds) = 0;

    // OK box; returns when it is closed.
    virtual void show_message(const GbkText& text, const GbkText& caption) = 0;
    // Yes/No box with the question icon; true for Yes.
    virtual bool ask_yes_no(const GbkText& text, const GbkText& caption) = 0;

    virtual void set_clipboard(const GbkText& text) = 0;
    // The save dialog ("保存采集", "*.csv"): the chosen path (local file-system
    // encoding), or nothing when cancelled.
    virtual std::optional<std::string> choose_save_path(const GbkText& proposed_name,
                                                        const std::string& folder) = 0;
    virtual void open_url(const GbkText& url) = 0;
};

}  // namespace lanyi
