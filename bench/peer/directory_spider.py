#!/usr/bin/python3
"""The peer harvest: the same job as lanyi-harvester --headless, written as a
Scrapy spider the way a user of a general scraping framework would.

Same requests (the search page, both answers of every result page, every
company page), through the same HTTP proxy (the demo site), with the same
concurrency and the same markers, number rules and required fields; the rows
go to a GBK CSV file.

    /usr/bin/python3 directory_spider.py --proxy 127.0.0.1:PORT --out rows.csv
                                         [--tuned] [--concurrency 50]

--tuned sets CONCURRENT_ITEMS = 1 (the default is 100). Both variants turn off
robots.txt, throttling and the per-domain limit, and log at INFO.
"""

import argparse

import scrapy
from scrapy.crawler import CrawlerProcess

SEARCH_HOST = "search.lanyi.test"
SHOP_SUFFIX = ".shop.lanyi.test"
FULL_WIDTH_SPACE = "\u3000"


def url_encode(text):
    """Percent-encodes the GBK bytes; letters, digits, '-' and '.' pass."""
    out = []
    for b in text.encode("gbk"):
        c = chr(b)
        if c.isascii() and (c.isalnum() or c in "-."):
            out.append(c)
        else:
            out.append("%%%02X" % b)
    return "".join(out)


def between(text, start, end):
    p = text.find(start)
    if p < 0:
        return ""
    p += len(start)
    q = text.find(end, p)
    return "" if q < 0 else text[p:q]


def no_spaces(text):
    return text.replace(" ", "").replace(FULL_WIDTH_SPACE, "")


def gbk_len(text):
    return len(text.encode("gbk", "replace"))


def take(page, start, end):
    return no_spaces(between(page, start, end))


def number_field(page, label):
    value = take(page, label + "：", '"')
    if not value or gbk_len(value) > 25:
        value = take(page, label + "：</span>", "</li>")
    return value


def contact_fields(page, swap=True, strong_mobile=True):
    contact = take(page, '><span title="', '"') or take(page, "联系人：</span>", "</li>")
    mobile = number_field(page, "手机")
    telephone = number_field(page, "电话")
    fax = number_field(page, "传真")
    email = take(page, "邮件:</font>", "</li>") or take(page, "电子邮箱：&nbsp;", "</li>")
    qq = take(page, "&uin=", "&")
    if gbk_len(qq) > 15:
        qq = take(page, "&uin=", '"')
    address = take(page, ";&nbsp;址：", "<") or take(page, "地址：</span>", "</li>")
    if swap and (mobile.startswith("0") or telephone.startswith("1")):
        mobile, telephone = telephone, mobile
    if strong_mobile and (not mobile.startswith("1") or gbk_len(mobile) < 11):
        mobile = ""
    return {
        "contact": contact, "mobile": mobile, "telephone": telephone, "fax": fax,
        "email": email, "qq": qq, "address": address,
    }


class DirectorySpider(scrapy.Spider):
    name = "directory"

    def __init__(self, keyword, region, filter_word, required, proxy, **kwargs):
        super().__init__(**kwargs)
        self.keyword = keyword
        self.region = region.replace("：", ":")
        self.filter_word = filter_word
        self.required = required
        self.proxy = "http://" + proxy

    def request(self, url, callback, **cb_kwargs):
        return scrapy.Request(url, callback=callback, cb_kwargs=cb_kwargs,
                              meta={"proxy": self.proxy}, dont_filter=True)

    def search_url(self):
        return ("http://" + SEARCH_HOST + "/?w=" + url_encode(self.keyword) +
                "&mc=enterprise&z=" + url_encode("中国:" + self.region))

    def page_url(self, page, second):
        url = ("http://" + SEARCH_HOST + "/?w=" + url_encode(self.keyword) +
               "&mc=enterprise&ee=" + str(page) + "&z=" + url_encode("中国:" + self.region))
        return url + "&af=3" if second else url

    def start_requests(self):
        yield self.request(self.search_url(), self.parse_search)

    def parse_search(self, response):
        text = response.text
        pages = int(between(text, 'total">共', "页") or 0)
        total = int(between(text, "共找到", "条") or 0)
        if total == 0:
            return
        for page in range(1, max(pages, 1) + 1):
            yield self.request(self.page_url(page, False), self.parse_first_answer)
            yield self.request(self.page_url(page, True), self.parse_second_answer)

    def parse_first_answer(self, response):
        yield from self.companies(between(response.text, "发发在线", "来澜驿做生意"))

    def parse_second_answer(self, response):
        yield from self.companies(response.text)

    def companies(self, text):
        filtering = bool(no_spaces(self.filter_word))
        for block in text.split("成立时间"):
            name = between(block, ';" target="_blank" title="', '" >')
            if not name or (filtering and self.filter_word in name):
                continue
            company_id = between(block, 'exposurelog="', '" href')
            if company_id:
                url = "http://" + company_id + SHOP_SUFFIX + "/shop/company.html"
                yield self.request(url, self.parse_company, company_id=company_id, name=name)

    def parse_company(self, response, company_id, name):
        fields = contact_fields(response.text)
        if any(not fields[f] for f in self.required):
            return
        row = {"id": company_id, "name": name}
        row.update({k: v.replace("\r\n", "") for k, v in fields.items()})
        yield row


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--proxy", required=True, help="HOST:PORT of the demo site")
    parser.add_argument("--out", required=True, help="CSV file to write")
    parser.add_argument("--tuned", action="store_true", help="CONCURRENT_ITEMS = 1")
    parser.add_argument("--concurrency", type=int, default=50)
    parser.add_argument("--keyword", default="led")
    parser.add_argument("--region", default="广东省:广州市")
    parser.add_argument("--filter", default="")
    parser.add_argument("--require", default="mobile", help="comma list of fields a row must have")
    args = parser.parse_args()

    settings = {
        "CONCURRENT_REQUESTS": args.concurrency,
        "CONCURRENT_REQUESTS_PER_DOMAIN": args.concurrency,
        "ROBOTSTXT_OBEY": False,
        "AUTOTHROTTLE_ENABLED": False,
        "DOWNLOAD_DELAY": 0,
        "TELNETCONSOLE_ENABLED": False,
        "LOG_LEVEL": "INFO",
        "FEEDS": {args.out: {"format": "csv", "encoding": "gbk", "overwrite": True}},
    }
    if args.tuned:
        settings["CONCURRENT_ITEMS"] = 1
    process = CrawlerProcess(settings)
    required = [f for f in args.require.split(",") if f]
    process.crawl(DirectorySpider, keyword=args.keyword, region=args.region,
                  filter_word=args.filter, required=required, proxy=args.proxy)
    process.start()


if __name__ == "__main__":
    main()
