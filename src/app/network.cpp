#include "app/network.h"

#include "demo/demo_site.h"

namespace lanyi {

Network::Network(const CommandLine& cmd) {
    if (cmd.demo) {
        demo_ = std::make_unique<DemoSite>();
        if (!demo_->start()) {
            error_ = "the demo site could not start on 127.0.0.1";
            return;
        }
        fetcher_.set_default_proxy("127.0.0.1:" + std::to_string(demo_->port()));
    } else if (!cmd.proxy.empty()) {
        fetcher_.set_default_proxy(cmd.proxy);
    }
}

// The fetcher goes first (members are destroyed in reverse order), closing
// its kept connections, so the demo site stops without waiting for them.
Network::~Network() { fetcher_.abort(); }

}  // namespace lanyi
