// The fetcher for one run of the program, routed as the command line says:
// through --proxy, or through the in-process demo site with --demo.
// Owns the demo site; abort() ends every fetch at once (program exit).
#pragma once

#include <memory>
#include <string>

#include "app/command_line.h"
#include "fetch/curl_fetcher.h"

namespace lanyi {

class DemoSite;

class Network {
public:
    explicit Network(const CommandLine& cmd);
    ~Network();

    CurlFetcher& fetcher() { return fetcher_; }
    // Empty when set up; otherwise why the demo site could not start.
    const std::string& error() const { return error_; }
    void abort() { fetcher_.abort(); }

private:
    std::unique_ptr<DemoSite> demo_;
    CurlFetcher fetcher_;
    std::string error_;
};

}  // namespace lanyi
