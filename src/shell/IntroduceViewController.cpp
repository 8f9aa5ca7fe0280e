#include "IntroduceViewController.h"

using namespace Qt::StringLiterals;

IntroduceViewController::IntroduceViewController(QObject *parent)
    : ScreenController(parent),
      m_rows(
          {{u"introduce_example0.png"_s, tr("“摇一摇”传文字"),
            tr("        在电脑上任何地方，选中文字。摇一摇手机，文字瞬间飞到手机里。")},
           {u"introduce_example1.png"_s, tr("“摇一摇”传图"),
            tr("        在电脑上选中或者打开图片，摇一摇手机，隔空传送到手机查看分享超方便。")},
           {u"introduce_example2.png"_s, tr("“摇一摇”传文件"),
            tr("        在电脑上选中或者打开文件，摇一摇手机，甩掉数据线，文档、视频、音乐统统摇进"
               "手机。")},
           {u"introduce_example3.png"_s, tr("“摇一摇”传网页"),
            tr("        "
               "在电脑上，打开并选中网页。摇一摇手机，网址传到手机上。最方便的跨屏浏览。")},
           {QString(), tr("更多功能敬请期待..."), QString()}})
{
    setTitle(tr("快传说明"));
}
