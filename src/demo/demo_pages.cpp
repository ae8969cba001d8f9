#include "demo/demo_pages.h"

#include "demo/demo_random.h"

namespace lanyi {

namespace {

// The fixed pieces of every page, converted to GBK once.
struct Pieces {
    std::string head, list_title, company_title, tail;
    std::string total_open, pages_close, found_open, found_close;
    std::string fragment_open, fragment_close, footer;
    std::string block_open, id_to_name, name_close, business, founded, block_close;
    std::string second_open, second_close;
    std::string card_open, card_close;
    std::string contact_label, contact_fallback;
    std::string mobile, telephone, fax, colon, number_note;
    std::string mail_primary, mail_fallback;
    std::string chat_label, chat_primary_tail, chat_fallback_tail;
    std::string address_primary, address_fallback;
    std::string not_found, error, home;
};

std::string g(std::string_view utf8) { return gbk(utf8).str(); }

Pieces make_pieces() {
    Pieces p;
    p.head = g("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">");
    p.list_title = g("<title>公司搜索 - 澜驿商务</title></head><body>\n");
    p.company_title = g("<title>公司介绍 - 澜驿商务</title></head><body>\n");
    p.tail = g("</body></html>\n");
    p.total_open = g("<div class=\"bar\"><span class=\"total\">共");
    p.pages_close = g("页</span>");
    p.found_open = g("<span class=\"found\">共找到");
    p.found_close = g("条</span></div>\n");
    p.fragment_open = g("<div class=\"tip\">发发在线</div><div class=\"list\">\n");
    p.fragment_close = g("</div><div class=\"ad\">来澜驿做生意</div>\n");
    p.footer = g("<div class=\"foot\">澜驿商务 版权所有</div>\n");
    p.block_open = g("<div class=\"item\"><h4><a exposurelog=\"");
    p.id_to_name = g("\" href=\"/shop/company.html\" onclick=\"return clk(this);\" target=\"_blank\" title=\"");
    p.name_close = g("\" >");
    p.business = g("</a></h4><p>主营：电子元件 五金配件 照明产品</p><p class=\"date\"><span>成立时间</span>：");
    p.founded = g("年");
    p.block_close = g("</p></div>\n");
    p.second_open = g("<div class=\"list\">\n");
    p.second_close = g("</div><div class=\"pages\">上一页 下一页</div>\n");
    p.card_open = g("<div class=\"card\"><h3>联系方式</h3><ul>\n");
    p.card_close = g("</ul></div>\n");
    p.contact_label = g("<li><span class=\"k\">联系人</span><span title=\"");
    p.contact_fallback = g("<li><span class=\"k\">联系人：</span>");
    p.mobile = g("手机");
    p.telephone = g("电话");
    p.fax = g("传真");
    p.colon = g("：");
    p.number_note = g("<li>工作时间请直接拨打以上号码联系</li>\n");
    p.mail_primary = g("<li><font class=\"k\">邮件:</font>");
    p.mail_fallback = g("<li>电子邮箱：&nbsp;");
    p.chat_label = g("<li><span class=\"k\">在线交谈</span><a ");
    p.chat_primary_tail = g("&site=lanyi&menu=yes\">点击交谈</a></li>\n");
    p.chat_fallback_tail = g("\" target=\"_blank\">点击这里给我发消息</a>&nbsp;</li>\n");
    p.address_primary = g("<li>地&nbsp;&nbsp;&nbsp;&nbsp;址：");
    p.address_fallback = g("<li><span class=\"k\">地址：</span>");
    p.not_found = g("<html><head><title>页面不存在</title></head><body><h1>页面不存在</h1></body></html>\n");
    p.error = g("<html><head><title>服务器错误</title></head><body><h1>服务器繁忙，请稍后再试</h1></body></html>\n");
    p.home = g("<html><head><title>澜驿商务</title></head><body><h1>澜驿商务 公司黄页</h1></body></html>\n");
    return p;
}

const Pieces& pieces() {
    static const Pieces p = make_pieces();
    return p;
}

void add_blocks(std::string& out, const std::vector<DemoCompany>& companies, std::size_t from,
                std::size_t to, std::uint64_t seed) {
    const Pieces& p = pieces();
    for (std::size_t i = from; i < to && i < companies.size(); ++i) {
        const DemoCompany& c = companies[i];
        out += p.block_open;
        out += c.id.view();
        out += p.id_to_name;
        out += c.name.view();
        out += p.name_close;
        out += c.name.view();
        out += p.business;
        out += std::to_string(1995 + demo_hash(seed, c.id.view()) % 26);
        out += p.founded;
        out += p.block_close;
    }
}

void add_head(std::string& out, const std::string& title) {
    out += pieces().head;
    out += title;
}

}  // namespace

std::string demo_first_answer(const DemoDirectory& directory, const GbkText& keyword, const GbkText& region,
                              int p) {
    const Pieces& s = pieces();
    std::vector<DemoCompany> companies = directory.page(keyword, region, p);
    std::string out;
    add_head(out, s.list_title);
    out += s.total_open;
    out += std::to_string(directory.page_count());
    out += s.pages_close;
    out += s.found_open;
    out += std::to_string(directory.company_count());
    out += s.found_close;
    out += s.fragment_open;
    add_blocks(out, companies, 0, DemoDirectory::kInFirstAnswer, directory.seed());
    out += s.fragment_close;
    out += s.footer;
    out += s.tail;
    return out;
}

std::string demo_second_answer(const DemoDirectory& directory, const GbkText& keyword,
                               const GbkText& region, int p) {
    const Pieces& s = pieces();
    std::vector<DemoCompany> companies = directory.page(keyword, region, p);
    std::string out;
    add_head(out, s.list_title);
    out += s.second_open;
    add_blocks(out, companies, DemoDirectory::kInFirstAnswer, companies.size(), directory.seed());
    out += s.second_close;
    out += s.tail;
    return out;
}

std::string demo_search_answer(const DemoDirectory& directory, const GbkText& keyword,
                               const GbkText& region) {
    return demo_first_answer(directory, keyword, region, 1);
}

std::string demo_company_page(const DemoCompanyPage& page) {
    const Pieces& s = pieces();
    std::string out;
    add_head(out, s.company_title);
    out += s.card_open;

    if (page.contact.form == FieldForm::Primary) {
        out += s.contact_label;
        out += page.contact.text.view();
        out += "\">";
        out += page.contact.text.view();
        out += "</span></li>\n";
    } else if (page.contact.form == FieldForm::Fallback) {
        out += s.contact_fallback;
        out += page.contact.text.view();
        out += "</li>\n";
    }

    auto number = [&](const ShownField& field, const std::string& label) {
        if (field.form == FieldForm::Primary) {
            out += "<li title=\"";
            out += label + s.colon;
            out += field.text.view();
            out += "\"><span class=\"k\">" + label + "</span>";
            out += field.text.view();
            out += "</li>\n";
        } else if (field.form == FieldForm::Fallback) {
            // The quoted form's start label also matches here; the note keeps
            // the next quote far enough away that its value is never taken.
            out += "<li><span class=\"k\">" + label + s.colon + "</span>";
            out += field.text.view();
            out += "</li>";
            out += s.number_note;
        }
    };
    number(page.mobile, s.mobile);
    number(page.telephone, s.telephone);
    number(page.fax, s.fax);

    if (page.email.form != FieldForm::Missing) {
        out += page.email.form == FieldForm::Primary ? s.mail_primary : s.mail_fallback;
        out += page.email.text.view();
        out += "</li>\n";
    }

    if (page.qq.form == FieldForm::Primary) {
        out += s.chat_label;
        out += "target=\"_blank\" href=\"/im/chat?v=3&uin=";
        out += page.qq.text.view();
        out += s.chat_primary_tail;
    } else if (page.qq.form == FieldForm::Fallback) {
        // No "&" right after the number: the text up to the next "&" is too
        // long, so the number is read up to the closing quote instead.
        out += s.chat_label;
        out += "href=\"/im/chat?v=3&uin=";
        out += page.qq.text.view();
        out += s.chat_fallback_tail;
    }

    if (page.address.form != FieldForm::Missing) {
        out += page.address.form == FieldForm::Primary ? s.address_primary : s.address_fallback;
        out += page.address.text.view();
        out += "</li>\n";
    }

    out += s.card_close;
    out += s.footer;
    out += s.tail;
    return out;
}

std::string demo_not_found_page() { return pieces().not_found; }
std::string demo_error_page() { return pieces().error; }
std::string demo_home_page() { return pieces().home; }

}  // namespace lanyi
