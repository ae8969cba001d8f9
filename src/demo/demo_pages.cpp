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

namespace {

// The page, and where each field's lines end (contact, mobile, telephone,
// fax, e-mail, QQ, address; a missing field ends where the one before it does).
std::string render_company_page(const DemoCompanyPage& page, std::size_t* field_ends) {
    const Pieces& s = pieces();
    std::string out;
    std::size_t field = 0;
    auto field_done = [&] {
        if (field_ends) field_ends[field] = out.size();
        ++field;
    };
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
    field_done();

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
        field_done();
    };
    number(page.mobile, s.mobile);
    number(page.telephone, s.telephone);
    number(page.fax, s.fax);

    if (page.email.form != FieldForm::Missing) {
        out += page.email.form == FieldForm::Primary ? s.mail_primary : s.mail_fallback;
        out += page.email.text.view();
        out += "</li>\n";
    }
    field_done();

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
    field_done();

    if (page.address.form != FieldForm::Missing) {
        out += page.address.form == FieldForm::Primary ? s.address_primary : s.address_fallback;
        out += page.address.text.view();
        out += "</li>\n";
    }
    field_done();

    out += s.card_close;
    out += s.footer;
    out += s.tail;
    return out;
}

}  // namespace

std::string demo_company_page(const DemoCompanyPage& page) { return render_company_page(page, nullptr); }

DemoCompanyPage demo_company_page_before(const DemoCompanyPage& page, std::size_t kept) {
    std::size_t ends[7] = {};
    render_company_page(page, ends);
    DemoCompanyPage cut = page;
    ShownField* fields[] = {&cut.contact, &cut.mobile, &cut.telephone, &cut.fax,
                            &cut.email,   &cut.qq,     &cut.address};
    for (int i = 0; i < 7; ++i)
        if (ends[i] > kept) *fields[i] = ShownField{};
    return cut;
}

std::vector<DemoCompany> demo_page_companies_before(const DemoDirectory& directory, const GbkText& keyword,
                                                    const GbkText& region, int p, std::size_t first_kept,
                                                    std::size_t second_kept) {
    const std::vector<DemoCompany> companies = directory.page(keyword, region, p);
    const std::string first = demo_first_answer(directory, keyword, region, p);
    const std::string second = demo_second_answer(directory, keyword, region, p);
    // A block is whole when the line it stands on is; the first answer's
    // blocks also need the marker that closes their fragment.
    auto line_within = [](const std::string& text, std::size_t at, std::size_t kept) {
        std::size_t end = text.find('\n', at);
        return at != std::string::npos && end != std::string::npos && end < kept;
    };
    const bool fragment_whole = line_within(first, first.find(pieces().fragment_close), first_kept);
    std::vector<DemoCompany> kept;
    for (std::size_t i = 0; i < companies.size(); ++i) {
        const bool in_first = i < static_cast<std::size_t>(DemoDirectory::kInFirstAnswer);
        const std::string& text = in_first ? first : second;
        const std::size_t at = text.find(pieces().block_open + companies[i].id.str() + '"');
        if (in_first ? fragment_whole && line_within(first, at, first_kept) : line_within(second, at, second_kept))
            kept.push_back(companies[i]);
    }
    return kept;
}

std::size_t demo_damage_offset(std::uint64_t key, std::string_view body) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (i == 0 || (body[i - 1] == '\n' && body[i] == '<')) starts.push_back(i);
    return starts.empty() ? body.size() : starts[key % starts.size()];
}

std::string demo_damaged_body(DemoFault fault, std::uint64_t key, std::string body) {
    if (fault == DemoFault::ZeroByte) {
        body.insert(demo_damage_offset(key, body), 1, '\0');
    } else if (fault == DemoFault::BadGbk) {
        // 0x80 and 0xFF never start a GBK character; 0x81 takes the "<"
        // after it along as its second byte.
        body.insert(demo_damage_offset(key, body), "\x80\xFF\x81");
    }
    return body;
}

std::string demo_not_found_page() { return pieces().not_found; }
std::string demo_error_page() { return pieces().error; }
std::string demo_home_page() { return pieces().home; }

}  // namespace lanyi
