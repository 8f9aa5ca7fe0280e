#include "AboutViewController.h"
#include "AppShell.h"
#include "FeedbackViewController.h"
#include "LoginViewController.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "Shots.h"
#include "WebViewController.h"

using namespace Qt::StringLiterals;

namespace {
template <class T> T *top(ShotContext &c)
{
    const auto screens = c.shell->router()->openScreens();
    return screens.isEmpty() ? nullptr : qobject_cast<T *>(screens.last());
}

// Closes every screen the tour left open (web pages go straight to closing).
void closeAll(ShotContext &c)
{
    for (ScreenController *screen : c.shell->router()->openScreens()) {
        if (auto *web = qobject_cast<WebViewController *>(screen))
            web->setCanGoBack(false);
        screen->back();
    }
}
bool nothingOpen(ShotContext &c)
{
    return c.shell->router()->openCount() == 0;
}

// Opens the connection screen at @p status once the tour's last screen has gone.
void openLogin(ShotContext &c, quint64 status)
{
    c.shell->toasts()->hideToast();
    c.shell->state()->setStatus(status);
    c.shell->showLoginView();
}

void addLoginFailure(std::vector<Shot> &shots, const QString &name, const QJsonObject &verdict,
                     const QString &message)
{
    shots.push_back({u"prepare-"_s + name,
                     [verdict](ShotContext &c) {
                         closeAll(c);
                         c.pc->control(u"reset"_s);
                         if (!verdict.isEmpty())
                             c.pc->control(u"verdict"_s, verdict);
                         else
                             c.pc->fault(u"login"_s, u"close"_s);
                     },
                     nothingOpen, 0});
    shots.push_back({name, [](ShotContext &c) { openLogin(c, AppStatusNotLoggedIn); },
                     [message](ShotContext &c) {
                         return c.shell->toasts()->title() == message && nothingOpen(c);
                     },
                     200});
}

void openPage(std::vector<Shot> &shots, const QString &name, const QString &url, bool showMore,
              const QString &expectedTitle = {})
{
    shots.push_back({name,
                     [url, showMore](ShotContext &c) {
                         c.shell->dialogs()->dismiss();
                         closeAll(c);
                         c.shell->openWebPage(url, QString(), showMore);
                     },
                     [expectedTitle](ShotContext &c) {
                         auto *web = top<WebViewController>(c);
                         if (!web || web->isLoading())
                             return false;
                         return expectedTitle.isEmpty() ? web->title() != u"加载中..."_s
                                                        : web->title() == expectedTitle;
                     },
                     1200});
}
} // namespace

void addShellScreenShots(std::vector<Shot> &shots)
{
    // The connection screen.
    shots.push_back({u"login-connecting"_s,
                     [](ShotContext &c) {
                         c.pc->fault(u"login"_s, u"hang"_s);
                         openLogin(c, AppStatusNotLoggedIn);
                     },
                     [](ShotContext &c) { return top<LoginViewController>(c) != nullptr; }});
    shots.push_back({u"prepare-offer"_s,
                     [](ShotContext &c) {
                         closeAll(c);
                         c.pc->control(u"reset"_s);
                         c.pc->fault(u"auth"_s, u"hang"_s, 0, 0);
                     },
                     nothingOpen, 0});
    shots.push_back({u"login-offer"_s, [](ShotContext &c) { openLogin(c, AppStatusNotLoggedIn); },
                     [](ShotContext &c) {
                         auto *login = top<LoginViewController>(c);
                         return login && login->isAuthOffered();
                     },
                     900});
    shots.push_back({u"login-authorising"_s,
                     [](ShotContext &c) { top<LoginViewController>(c)->tappedAuthButton(); },
                     [](ShotContext &c) { return top<LoginViewController>(c)->isLoading(); }});
    shots.push_back({u"login-auth-failed"_s,
                     [](ShotContext &c) {
                         c.pc->control(u"reset"_s);
                         c.pc->control(u"verdict"_s, {{u"auth"_s, u"refuse"_s}});
                         top<LoginViewController>(c)->tappedAuthButton();
                     },
                     [](ShotContext &c) {
                         auto *login = top<LoginViewController>(c);
                         return login && !login->isLoading() &&
                                c.shell->toasts()->title() == u"授权失败"_s;
                     },
                     300});
    shots.push_back({u"login-falling"_s,
                     [](ShotContext &c) { top<LoginViewController>(c)->tappedNotAuthButton(); },
                     [](ShotContext &) { return true; }, 250});
    // The picture has landed: the send button is back in the status's look.
    shots.push_back(
        {u"login-fallen"_s, [](ShotContext &) {},
         [](ShotContext &c) { return nothingOpen(c) && !c.shell->main()->isSendButtonFalling(); },
         400});
    addLoginFailure(shots, u"login-failed-blacklisted"_s, {{u"login"_s, u"blacklisted"_s}},
                    u"您已被管理员拉入黑名单"_s);
    addLoginFailure(shots, u"login-failed-remote-off"_s, {{u"login"_s, u"remote_disabled"_s}},
                    u"您的电脑已经关闭了手机遥控功能"_s);
    addLoginFailure(shots, u"login-failed-refused"_s, {{u"login"_s, u"refuse"_s}}, u"连接失败"_s);
    addLoginFailure(shots, u"login-failed-no-reply"_s, {}, u"连接失败"_s);

    // Feedback.
    shots.push_back({u"feedback-empty"_s,
                     [](ShotContext &c) {
                         closeAll(c);
                         c.pc->control(u"reset"_s);
                         c.shell->toasts()->hideToast();
                         c.shell->openFeedback();
                     },
                     [](ShotContext &c) { return top<FeedbackViewController>(c) != nullptr; }});
    shots.push_back({u"feedback-filled"_s, [](ShotContext &c) {
                         auto *feedback = top<FeedbackViewController>(c);
                         feedback->setText(u"传大文件的时候，如果手机锁屏，下载会停下来。"
                                           u"希望能在后台继续下载，谢谢！"_s);
                         feedback->setContact(u"zhang.wei@example.com"_s);
                     }});
    shots.push_back({u"feedback-sending"_s,
                     [](ShotContext &c) {
                         c.pc->fault(u"wifiapp/feedback"_s, u"delay"_s, 4000);
                         top<FeedbackViewController>(c)->feedback();
                     },
                     [](ShotContext &c) { return top<FeedbackViewController>(c)->isSending(); }});
    shots.push_back({u"feedback-sent"_s, [](ShotContext &) {},
                     [](ShotContext &c) {
                         return c.shell->toasts()->title() == u"提交成功"_s && nothingOpen(c);
                     },
                     200});

    // About and the introduction.
    shots.push_back({u"about"_s,
                     [](ShotContext &c) {
                         c.shell->toasts()->hideToast();
                         c.shell->openAbout();
                     },
                     [](ShotContext &c) { return top<AboutViewController>(c) != nullptr; }});
    shots.push_back({u"about-copied"_s, [](ShotContext &c) {
                         top<AboutViewController>(c)->tableViewCellHighlighted(
                             AboutViewController::WeixinRow);
                     }});
    shots.push_back({u"introduce"_s,
                     [](ShotContext &c) {
                         closeAll(c);
                         c.shell->toasts()->hideToast();
                         c.shell->openIntroduce();
                     },
                     [](ShotContext &c) { return c.shell->router()->openCount() == 1; }});

    // The web page screen.
    openPage(shots, u"web-help"_s, u"qrc:/html/help.html"_s, false);
    openPage(shots, u"web-agreement"_s, u"qrc:/html/agreement.html"_s, false);
    openPage(shots, u"web-privacy"_s, u"qrc:/html/privacy.html"_s, true);
    shots.push_back(
        {u"web-more"_s, [](ShotContext &c) { top<WebViewController>(c)->tappedMoreButton(); }});
    openPage(shots, u"web-failed"_s, u"http://127.0.0.1:9/"_s, true, u"加载失败"_s);
    shots.push_back({u"shell-screens-after"_s,
                     [](ShotContext &c) {
                         c.shell->dialogs()->dismiss();
                         closeAll(c);
                     },
                     nothingOpen});
}
