#include "app/run_setup.h"

#include "text/code_page.h"

namespace lanyi {

SiteConfig site_config(const CommandLine& cmd) {
    SiteConfig site;
    if (cmd.search_host) site.search_host = utf8_to_gbk(*cmd.search_host);
    if (cmd.shop_suffix) site.shop_suffix = utf8_to_gbk(*cmd.shop_suffix);
    return site;
}

void apply_boxes(const CommandLine& cmd, Window& window) {
    if (cmd.threads) window.set_edit_text(EditBox::Threads, utf8_to_gbk(*cmd.threads));
    if (cmd.timeout) window.set_edit_text(EditBox::Timeout, utf8_to_gbk(*cmd.timeout));
}

}  // namespace lanyi
