// End-to-end: Stop in the middle of each phase, against a slow demo site.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/phase_actions.h"
#include "demo/demo_site.h"
#include "fetch/curl_fetcher.h"
#include "text/code_page.h"
#include "ui/harvest_events.h"
#include "ui/headless_window.h"

namespace lanyi {
namespace {

template <class Pred>
bool eventually(Pred pred) {
    for (int i = 0; i < 6000 && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pred();
}

// Passes fetches through to the network, except that once `allowed` pages
// whose URL holds `gated` have been fetched, further ones wait until the test
// opens the gate: the phase is then surely in its middle when Stop comes.
class GatedFetcher : public PageFetcher {
public:
    explicit GatedFetcher(PageFetcher& inner) : inner_(inner) {}

    void gate(std::string gated, int allowed) {
        std::lock_guard lock(mutex_);
        gated_ = std::move(gated);
        allowed_ = allowed;
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }
    int passed() const {
        std::lock_guard lock(mutex_);
        return passed_;
    }
    FetchResult fetch(const FetchRequest& request) override {
        {
            std::unique_lock lock(mutex_);
            if (!gated_.empty() && request.url.str().find(gated_) != std::string::npos) {
                if (passed_ >= allowed_) cv_.wait(lock, [&] { return open_; });
                ++passed_;
            }
        }
        return inner_.fetch(request);
    }

private:
    PageFetcher& inner_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::string gated_;
    int allowed_ = 0;
    int passed_ = 0;
    bool open_ = false;
};

class StopMidPhase : public ::testing::Test {
protected:
    StopMidPhase() {
        DemoSiteOptions options;
        options.companies = 400;
        options.latency_ms = 20;
        site_ = std::make_unique<DemoSite>(options);
        EXPECT_TRUE(site_->start());
        fetcher_.set_default_proxy("127.0.0.1:" + std::to_string(site_->port()));
        harvest_ = std::make_unique<Harvest>(window_, gated_, clock_);
        events_ = std::make_unique<HarvestEvents>(*harvest_, make_phase_actions(*harvest_));
        window_.set_events(events_.get());
        window_.create();
        window_.set_edit_text(EditBox::Keyword, GbkText("led"));
        window_.set_edit_text(EditBox::Threads, GbkText("2"));
        window_.set_question_policy([](const GbkText&, const GbkText&) { return true; });
        window_.set_save_path("/nonexistent-folder/never.csv");
        harvest_->phase_ended = [this](Phase phase) {
            (phase == Phase::CompanySearch ? search_ended_ : contacts_ended_).store(true);
        };
    }
    ~StopMidPhase() override {
        gated_.open();
        fetcher_.abort();
        harvest_.reset();
        window_.set_events(nullptr);
    }

    void expect_idle_after_stop() {
        gated_.open();
        harvest_->jobs.join_all();  // items in hand finish; nothing else starts
        EXPECT_EQ(harvest_->state.load(), kIdle);
        EXPECT_TRUE(window_.is_button_enabled(Button::StartCompanies));
        EXPECT_TRUE(window_.is_button_enabled(Button::StartContacts));
        EXPECT_EQ(window_.timer_period(), 0);
        EXPECT_EQ(gbk_to_utf8(window_.status_part(8)), "状态:未开始");
    }

    std::unique_ptr<DemoSite> site_;
    CurlFetcher fetcher_;
    GatedFetcher gated_{fetcher_};
    HeadlessWindow window_;
    SteadyClock clock_;
    std::unique_ptr<Harvest> harvest_;
    std::unique_ptr<HarvestEvents> events_;
    std::atomic<bool> search_ended_{false}, contacts_ended_{false};
};

TEST_F(StopMidPhase, StopDuringTheCompanySearchStartsNoContactPhase) {
    gated_.gate("&ee=", 4);  // result page fetches (two per page)
    window_.click(Button::StartCompanies);
    ASSERT_TRUE(eventually([&] { return window_.list().row_count() >= 10; }));
    window_.click(Button::Stop);
    expect_idle_after_stop();
    EXPECT_FALSE(search_ended_.load());
    EXPECT_FALSE(contacts_ended_.load());
    EXPECT_LT(window_.list().row_count(), 400);
    EXPECT_TRUE(window_.dialogs().empty());
    for (int row = 0; row < window_.list().row_count(); ++row)  // compacted and renumbered
        EXPECT_EQ(gbk_to_utf8(window_.list().get_cell(row, kColNumber)), std::to_string(row + 1));
}

TEST_F(StopMidPhase, StopDuringTheContactPhaseExportsNothing) {
    gated_.gate("/shop/company.html", 10);
    window_.click(Button::StartCompanies);
    ASSERT_TRUE(eventually([&] { return search_ended_.load(); }));
    // Company pages through the gate: the contact phase is under way. (The
    // processed count would not do: it still holds the search's count until
    // the contact phase resets it, and a Stop before that phase begins lands
    // in the pause between the phases.)
    ASSERT_TRUE(eventually([&] { return gated_.passed() >= 10; }));
    window_.click(Button::Stop);
    expect_idle_after_stop();
    EXPECT_FALSE(contacts_ended_.load());
    EXPECT_LT(harvest_->counters.processed.load(), 400);
    EXPECT_TRUE(window_.dialogs().empty());  // no export question
    EXPECT_TRUE(window_.save_requests().empty());
    EXPECT_EQ(window_.list().row_count(), 400);  // nothing required: every row stays
}

}  // namespace
}  // namespace lanyi
