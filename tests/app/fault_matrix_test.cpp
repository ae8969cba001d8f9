// Whole headless harvests against a demo site that misbehaves on a share of
// its requests, and against servers that never answer or close at once.
// Each run must end, return to idle and write exactly the rows the demo data
// predicts once the faults are taken into account: which requests fault is
// known in advance (the site draws faults from the seed and the request), and
// so is what each fault leaves of a page.
#include "loopback_listener.h"
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "contacts/contact_job.h"
#include "demo/demo_pages.h"
#include "demo_harvest.h"
#include "fetch/url.h"
#include "search/company_search.h"
#include "text/code_page.h"
#include "text/text_ops.h"

namespace lanyi {
namespace {

using namespace testing_support;

const char* const kKeyword = "led";
const char* const kRegion = "广东省:广州市";
constexpr int kCompanies = 70;  // four result pages, the last one short

struct Scenario {
    const char* name;
    double DemoFaultRates::*fault;
    int fault_attempts = 0;      // 0: sticky
    // The time-out box (result pages and the search): long enough that no
    // page that answers misses it, even on a loaded machine.
    const char* timeout = "60";
    int stall_ms = 8000;
    bool require_mobile = false;
};

// What the harvester gets from one request.
struct PageOutcome {
    DemoFault fault = DemoFault::None;
    bool failed_fetch = false;  // the fetch gives the empty body
    std::size_t kept = 0;       // bytes of the page a parser sees
};

struct Prediction {
    std::map<std::string, CsvRow> rows;
    int result_faults = 0, company_faults = 0;
    long requests = 0, failed = 0;
    long retryable_faults = 0;  // faulted requests a retry may heal
    bool search_clean = false;
};

class Predictor {
public:
    Predictor(const Scenario& scenario, const DemoSiteOptions& options, const DemoDirectory& directory)
        : scenario_(scenario), options_(options), directory_(directory) {}

    Prediction predict() {
        Prediction out;
        const GbkText keyword = utf8_to_gbk(kKeyword), region = utf8_to_gbk(kRegion);
        const SiteConfig site;
        const std::string search_body = demo_search_answer(directory_, keyword, region);
        const int box = std::stoi(scenario_.timeout);
        out.search_clean = outcome(search_url(site, keyword, region), search_body, box, out).fault == DemoFault::None;
        out.requests = 1;

        std::vector<DemoCompany> listed;
        for (int p = 1; p <= directory_.page_count(); ++p) {
            const std::string first = demo_first_answer(directory_, keyword, region, p);
            const std::string second = demo_second_answer(directory_, keyword, region, p);
            const PageOutcome a = outcome(result_page_url(site, keyword, region, p, false), first, box, out);
            const PageOutcome b = outcome(result_page_url(site, keyword, region, p, true), second, box, out);
            out.result_faults += (a.fault != DemoFault::None) + (b.fault != DemoFault::None);
            out.requests += 2;
            for (const DemoCompany& c :
                 demo_page_companies_before(directory_, keyword, region, p, a.kept, b.kept))
                listed.push_back(c);
        }

        for (const DemoCompany& c : listed) {
            const DemoCompanyPage page = directory_.company_page(c.id);
            const PageOutcome o = outcome(company_page_url(site, c.id), demo_company_page(page), 90, out);
            out.company_faults += o.fault != DemoFault::None;
            ++out.requests;
            const DemoContacts s = stored_from_extracted(extracted_contacts(demo_company_page_before(page, o.kept)));
            if (scenario_.require_mobile && s.mobile.empty()) continue;
            out.rows[gbk_to_utf8(c.id)] = expected_row(c, s);
        }
        return out;
    }

private:
    // `timeout` is the fetch's time-out in seconds.
    PageOutcome outcome(const GbkText& url, const std::string& body, int timeout, Prediction& tally) {
        const std::string host = url_host(url).str(), target = url_path(url).str();
        PageOutcome o;
        o.fault = demo_fault_for(options_, "GET", host, target);
        o.kept = body.size();
        switch (o.fault) {
        case DemoFault::Reset:
        case DemoFault::Truncate:
            ++tally.retryable_faults;
            // Three sends in all: faults on the first two attempts at most heal.
            o.failed_fetch = options_.fault_attempts == 0 || options_.fault_attempts > 2;
            break;
        case DemoFault::Stall:
            o.failed_fetch = options_.stall_ms >= timeout * 1000;
            break;
        case DemoFault::HugeBody:
            o.failed_fetch = true;
            break;
        case DemoFault::ServerError:
            o.kept = 0;  // the error page holds no marker: no company, no field
            break;
        case DemoFault::ZeroByte:
            o.kept = demo_damage_offset(demo_request_key(options_, host, target), body);
            break;
        default:
            break;
        }
        if (o.failed_fetch) {
            o.kept = 0;
            ++tally.failed;
        }
        return o;
    }

    const Scenario& scenario_;
    const DemoSiteOptions& options_;
    const DemoDirectory& directory_;
};

DemoSiteOptions options_for(const Scenario& s, std::uint64_t seed) {
    DemoSiteOptions options;
    options.seed = seed;
    options.companies = kCompanies;
    options.faults.*s.fault = 0.2;
    options.fault_attempts = s.fault_attempts;
    options.stall_ms = s.stall_ms;
    return options;
}

void run_scenario(const Scenario& s) {
    SCOPED_TRACE(s.name);
    // A seed whose search answer is clean and whose faults hit both result
    // pages and company pages.
    DemoSiteOptions options;
    Prediction predicted;
    for (std::uint64_t seed = 1; seed < 200; ++seed) {
        options = options_for(s, seed);
        DemoDirectory directory(seed, kCompanies);
        predicted = Predictor(s, options, directory).predict();
        if (predicted.search_clean && predicted.result_faults > 0 && predicted.company_faults > 0) break;
    }
    ASSERT_TRUE(predicted.search_clean && predicted.result_faults > 0 && predicted.company_faults > 0);

    DemoSite site(options);
    ASSERT_TRUE(site.start());
    ScratchDir scratch;
    CommandLine cmd = headless_command(site, kKeyword, kRegion, scratch.file("matrix.csv"));
    cmd.threads = "50";
    cmd.timeout = s.timeout;
    cmd.required.mobile = s.require_mobile;
    const HeadlessOutcome run = run_and_read(cmd);

    ASSERT_EQ(run.status, 0) << run.out;  // ran to its end
    ASSERT_TRUE(run.file_written) << run.out;
    EXPECT_EQ(rows_by_id(run.csv), predicted.rows);
    for (std::size_t i = 0; i < run.csv.size(); ++i) EXPECT_EQ(run.csv[i][0], std::to_string(i + 1));
    EXPECT_EQ(summary(run.out, "contacts").at("rows"), static_cast<long>(predicted.rows.size()));

    const auto fetch = summary(run.out, "fetch");
    EXPECT_EQ(fetch.at("requests"), predicted.requests);
    EXPECT_EQ(fetch.at("failed"), predicted.failed);
    if (predicted.retryable_faults == 0) {
        // No answer is worth asking for again, so the site answers each
        // request once. (The harvester may still resend a request that never
        // reached the site: on a loaded machine it can leave a new connection
        // unused past the site's two-second keep-alive, and the site closes
        // it unread.)
        EXPECT_EQ(site.requests_served(), predicted.requests);
    } else if (s.fault_attempts == 0) {
        EXPECT_EQ(fetch.at("retried"), 2 * predicted.retryable_faults);
    } else {
        // The HTTP library itself resends a request whose kept connection
        // died before any answer (a reset), each time on another kept
        // connection, which can save ours; a cut-short answer it leaves to us.
        EXPECT_LE(fetch.at("retried"), 2 * predicted.retryable_faults);
        if (s.fault == &DemoFaultRates::truncate) {
            EXPECT_GE(fetch.at("retried"), predicted.retryable_faults);
        }
    }
}

TEST(FaultMatrix, TransportFaultsHealedByRetriesLoseNothing) {
    for (const Scenario& s : {
             Scenario{"resets on the first two attempts", &DemoFaultRates::reset, 2},
             Scenario{"truncated on the first two attempts", &DemoFaultRates::truncate, 2},
         })
        run_scenario(s);
}

TEST(FaultMatrix, FaultsThatStayLoseOnlyTheirPages) {
    for (const Scenario& s : {
             Scenario{"resets that stay", &DemoFaultRates::reset},
             Scenario{"truncation that stays", &DemoFaultRates::truncate},
             Scenario{"HTTP 500", &DemoFaultRates::server_error},
             Scenario{"HTTP 500, mobile required", &DemoFaultRates::server_error, 0, "60", 8000, true},
             Scenario{"100 MB bodies", &DemoFaultRates::huge_body},
         })
        run_scenario(s);
}

// Result pages stalled past the three-second time-out box are lost; the
// contact pages wait with their fixed 90 s, so a stalled company page is
// answered after the 8 s stall and nothing of it is lost. (A stall that
// outlasts the contact pages' 90 s would cost this test minutes.)
TEST(FaultMatrix, StallsPastTheTimeOutLoseTheirResultPages) {
    run_scenario(Scenario{"stalls", &DemoFaultRates::stall, 0, "3", 8000});
}

TEST(FaultMatrix, DamagedBodiesLoseWhatFollowsAZeroByteOnly) {
    for (const Scenario& s : {
             Scenario{"zero bytes", &DemoFaultRates::zero_byte},
             Scenario{"invalid GBK", &DemoFaultRates::bad_gbk},
             Scenario{"oversized header blocks", &DemoFaultRates::big_header},
         })
        run_scenario(s);
}

// A proxy that accepts every connection and then either holds it without a
// word or closes it at once. Bounded: 64 connections, stops when destroyed.
class SilentProxy {
public:
    explicit SilentProxy(bool close_at_once) : close_at_once_(close_at_once) {
        listener_ = testing::listen_on_loopback(port_);
        thread_ = std::thread([this] {
            while (!stop_ && accepted_ < 64) {
                pollfd p{listener_, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0) continue;
                int client = ::accept(listener_, nullptr, nullptr);
                if (client < 0) continue;
                ++accepted_;
                if (close_at_once_) ::close(client);
                else held_.push_back(client);
            }
        });
    }
    ~SilentProxy() {
        stop_ = true;
        thread_.join();
        for (int fd : held_) ::close(fd);
        ::close(listener_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    int accepted() const { return accepted_.load(); }

private:
    const bool close_at_once_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::vector<int> held_;  // the serving thread's alone until it is joined
    std::thread thread_;
};

TEST(FaultMatrix, ServersThatNeverAnswerOrCloseAtOnceEndTheRunEmpty) {
    struct {
        const char* what;
        bool close_at_once;
        long retried;
        int connections;
    } cases[] = {{"never answers", false, 0, 1}, {"closes at once", true, 2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SilentProxy proxy(c.close_at_once);
        ScratchDir scratch;
        CommandLine cmd;
        cmd.mode = RunMode::Headless;
        cmd.keyword = kKeyword;
        cmd.region = kRegion;
        cmd.out = scratch.file("none.csv");
        cmd.proxy = proxy.address();
        cmd.timeout = "1";
        const HeadlessOutcome run = run_and_read(cmd);
        EXPECT_EQ(run.status, 1) << run.out;  // "没有采集结果": the search found nothing
        EXPECT_FALSE(run.file_written);
        EXPECT_NE(run.out.find("没有采集结果"), std::string::npos) << run.out;
        const auto fetch = summary(run.out, "fetch");
        EXPECT_EQ(fetch.at("requests"), 1);
        EXPECT_EQ(fetch.at("failed"), 1);
        EXPECT_EQ(fetch.at("retried"), c.retried);
        EXPECT_EQ(proxy.accepted(), c.connections);
    }
}

}  // namespace
}  // namespace lanyi
