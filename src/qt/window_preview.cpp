// Shows the window with sample rows and status texts and saves a picture of
// it, for the docs: lanyi-window-preview OUT.png
#include <QApplication>
#include <QTableView>
#include <QTimer>

#include <cstdio>

#include "qt/main_window.h"
#include "qt/qt_window.h"
#include "ui/result_list.h"

namespace {

struct SampleRow {
    const char* id;
    const char* name;
    const char* contact;
    const char* mobile;
    const char* telephone;
    const char* fax;
    const char* email;
    const char* qq;
    const char* address;
};

const SampleRow kRows[] = {
    {"hengtai", "广州恒泰五金制品有限公司", "陈先生", "13512345678", "020-81234567", "020-81234568",
     "sales@hengtai.test", "81234567", "广州市白云区太和镇"},
    {"jinrui", "佛山金瑞金属材料有限公司", "李小姐", "13698765432", "0757-8345678", "",
     "jinrui@mail.test", "", "佛山市南海区大沥镇"},
    {"mingda", "东莞明达机械配件厂", "王经理", "13711112222", "0769-2233445", "0769-2233446",
     "", "2233445", "东莞市长安镇"},
    {"yongxin", "广州永信标准件有限公司", "", "", "020-36665555", "", "", "",
     "广州市番禺区石基镇"},
    {"huacheng", "深圳华诚紧固件有限公司", "赵先生", "13822223333", "", "",
     "hc@huacheng.test", "9988776", "深圳市宝安区沙井街道"},
    {"xinghe", "中山兴和五金塑料制品厂", "刘先生", "13955556666", "0760-8877665", "", "", "",
     "中山市小榄镇"},
};

const char* kStatus[lanyi::kStatusParts] = {" 关键字:五金", "过滤字:", "地址:广东省",
                                            "共12页",      "共356条", "第120条",
                                            "过滤3条",     "有效117条", "状态:已开始",
                                            "12.37秒"};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lanyi-window-preview OUT.png\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    lanyi::QtWindow window;
    for (const SampleRow& r : kRows) {
        const int count = window.list().append_company(lanyi::gbk(r.id), lanyi::gbk(r.name));
        const char* contacts[] = {r.contact, r.mobile, r.telephone, r.fax, r.email, r.qq, r.address};
        for (int c = 0; c < 7; ++c)
            window.list().set_cell(count - 1, lanyi::kColContact + c, lanyi::gbk(contacts[c]));
    }
    for (int part = 0; part < lanyi::kStatusParts; ++part)
        window.set_status_part(part, lanyi::gbk(kStatus[part]));
    window.set_edit_text(lanyi::EditBox::Keyword, lanyi::gbk("五金"));
    window.set_edit_text(lanyi::EditBox::Region, lanyi::gbk("广东省"));
    window.set_button_enabled(lanyi::Button::StartCompanies, false);
    window.set_button_enabled(lanyi::Button::StartContacts, false);
    window.show();

    QTimer::singleShot(800, [&] {
        QTableView* view = window.widget()->list_view();
        window.widget()->activateWindow();
        view->setFocus();
        view->selectRow(2);
        QTimer::singleShot(300, [&] {
            const bool saved = window.widget()->grab().save(out);
            if (!saved) std::fprintf(stderr, "lanyi-window-preview: cannot write %s\n", argv[1]);
            app.exit(saved ? 0 : 1);
        });
    });
    return app.exec();
}
