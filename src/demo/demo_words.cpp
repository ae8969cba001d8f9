#include "demo/demo_words.h"

#include <initializer_list>

namespace lanyi {

namespace {

std::vector<GbkText> gbk_list(std::initializer_list<std::string_view> utf8) {
    std::vector<GbkText> out;
    for (std::string_view word : utf8) out.push_back(gbk(word));
    return out;
}

DemoWords make_words() {
    DemoWords w;
    w.brands = gbk_list({"恒达", "鑫源", "华美", "金诚", "宏远", "永盛", "东方", "顺发", "天润", "博创",
                         "瑞丰", "中鼎", "海纳", "佳和", "利通", "新峰"});
    w.stems = {"hengda", "xinyuan", "huamei", "jincheng", "hongyuan", "yongsheng", "dongfang", "shunfa",
               "tianrun", "bochuang", "ruifeng", "zhongding", "haina", "jiahe", "litong", "xinfeng"};
    w.cities = gbk_list({"深圳市", "广州", "东莞市", "杭州", "宁波", "苏州", "温州", "佛山市"});
    w.suffixes = gbk_list({"科技有限公司", "电子有限公司", "实业有限公司", "制造厂", "设备有限公司",
                           "照明有限公司", "光电股份有限公司", "工贸有限公司"});
    w.trade_suffixes = gbk_list({"贸易有限公司", "国际贸易有限公司", "贸易商行"});
    w.surnames = gbk_list({"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴", "徐", "孙"});
    w.titles = gbk_list({"先生", "女士", "经理", "小姐", "总"});
    w.given_names = gbk_list({"建国", "秀英", "志强", "丽娟", "海峰", "晓明", "春梅", "德华"});
    w.provinces = gbk_list({"广东省深圳市", "广东省广州市", "浙江省杭州市", "浙江省宁波市", "江苏省苏州市",
                            "福建省厦门市", "上海市", "北京市"});
    w.districts = gbk_list({"宝安区", "天河区", "西湖区", "鄞州区", "工业园区", "思明区", "浦东新区",
                            "朝阳区"});
    w.roads = gbk_list({"西乡大道", "体育西路", "文三路", "中山东路", "星湖街", "湖滨南路", "张江路",
                        "建国路"});
    w.mail_domains = {"example.com", "example.net", "example.org", "mail.example.com"};
    w.full_width_space = gbk("\u3000");
    w.full_width_comma = gbk("，");
    w.road_number = gbk("号");
    w.building = gbk("栋");
    w.room = gbk("室");
    return w;
}

}  // namespace

const DemoWords& demo_words() {
    static const DemoWords words = make_words();
    return words;
}

}  // namespace lanyi
