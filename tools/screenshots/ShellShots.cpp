#include "AppShell.h"
#include "RuntimeState.h"
#include "Shots.h"

using namespace Qt::StringLiterals;

void addShellShots(std::vector<Shot> &shots)
{
    shots.push_back({u"guide"_s, [](ShotContext &) {},
                     [](ShotContext &c) { return c.shell->guide()->isVisible(); }});
    shots.push_back({u"guide-page2"_s, [](ShotContext &c) { c.shell->guide()->setPage(1); }});
    shots.push_back(
        {u"guide-unchecked"_s, [](ShotContext &c) { c.shell->guide()->tappedCheckButton(); }});
    shots.push_back({u"guide-agreement"_s,
                     [](ShotContext &c) { c.shell->guide()->tappedShowUserAgreementButton(); },
                     [](ShotContext &c) {
                         const auto screens = c.shell->router()->openScreens();
                         return !screens.isEmpty() && screens.last()->title() != u"加载中..."_s;
                     },
                     1200});
    shots.push_back({u"guide-after-agreement"_s,
                     [](ShotContext &c) {
                         for (ScreenController *screen : c.shell->router()->openScreens())
                             screen->back();
                     },
                     [](ShotContext &c) { return c.shell->router()->openCount() == 0; }});
    shots.push_back({u"main-not-connected"_s,
                     [](ShotContext &c) {
                         c.shell->guide()->tappedCheckButton();
                         c.shell->guide()->tappedStartButton();
                         c.shell->state()->setStatus(AppStatusNotLoggedIn);
                     },
                     [](ShotContext &c) { return !c.shell->guide()->isVisible(); }, 800});
    shots.push_back({u"main-logged-in"_s,
                     [](ShotContext &c) { c.shell->state()->setStatus(AppStatusLoggedIn); }});
    shots.push_back({u"main-authorised"_s, [](ShotContext &c) { c.shell->main()->viewDidLoad(); },
                     [](ShotContext &c) { return c.shell->state()->isAuthorized(); }});
    shots.push_back({u"menu-open"_s, [](ShotContext &c) { c.shell->navigation()->showMenu(); },
                     [](ShotContext &c) { return !c.shell->navigation()->isAnimating(); }});
    shots.push_back({u"toast"_s,
                     [](ShotContext &c) {
                         c.shell->navigation()->showMenu();
                         c.shell->toasts()->showToast(u"您不具备管理员权限，请申请~"_s, 5);
                     },
                     [](ShotContext &c) { return !c.shell->navigation()->isAnimating(); }});
    shots.push_back({u"alert"_s, [](ShotContext &c) {
                         c.shell->toasts()->hideToast();
                         c.shell->dialogs()->alert(QString(), u"您确定要删除已选的3条记录吗"_s,
                                                   {u"取消"_s, u"删除"_s}, {}, 1);
                     }});
    shots.push_back({u"action-sheet"_s, [](ShotContext &c) {
                         c.shell->dialogs()->choose(0);
                         c.shell->dialogs()->actionSheet(
                             QString(), {u"短信分享"_s, u"邮件分享"_s, u"取消"_s}, {});
                     }});
    for (int type = 0; type < 5; ++type)
        shots.push_back({u"loading-%1"_s.arg(type), [type](ShotContext &c) {
                             c.shell->dialogs()->dismiss();
                             c.shell->toasts()->showLoading(type);
                         }});
    shots.push_back({u"progress"_s, [](ShotContext &c) {
                         c.shell->toasts()->hideLoading();
                         c.shell->toasts()->showProgress();
                     }});
    shots.push_back({u"main-after"_s, [](ShotContext &c) { c.shell->toasts()->hideProgress(); }});
}
