#include "LoginViewController.h"

#include "DeviceInfoCenter.h"
#include "LoginAndAuthCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "ToastCenter.h"

using namespace Qt::StringLiterals;

namespace {
// How long a message of this screen stays, in seconds.
constexpr double MessageDelay = 2.0;
} // namespace

LoginViewController::LoginViewController(NotificationCenter *hub, RuntimeState *state,
                                         LoginAndAuthCenter *login, ToastCenter *toasts,
                                         QObject *parent)
    : ScreenController(parent), m_state(state), m_login(login), m_toasts(toasts)
{
    hub->addObserver(this, Notifications::LoginFinished,
                     [this](const QVariantMap &) { loginOrAuthFinished(true); });
    hub->addObserver(this, Notifications::AuthFinished,
                     [this](const QVariantMap &) { loginOrAuthFinished(false); });
    const auto ssid = DeviceInfoCenter::getCurrentSSID();
    m_wifiText = u"     "_s + (ssid && !ssid->isEmpty() ? *ssid : tr("未连接"));
    setTitle(tr("正在连接电脑"));
    const quint64 status = m_state->status();
    if (status & AppStatusAuthorized) {
        m_pcIcon = u"login_icon_shake.png"_s;
        m_roundBlue = true;
    } else {
        m_pcIcon = u"menu_icon_disconnect.png"_s;
    }
}

QString LoginViewController::applyTitle() const
{
    return tr("申请管理员权限");
}

QString LoginViewController::declineTitle() const
{
    return tr("暂不申请");
}

QString LoginViewController::hint() const
{
    if (m_authOffered)
        return m_applying ? tr("请在电脑上确认授权")
                          : tr("申请管理员权限后，即可遥控电脑、浏览电脑文件");
    if (m_state->status() & AppStatusAuthorized)
        return tr("已获得管理员权限");
    return tr("请确认手机已连接电脑开启的WiFi");
}

void LoginViewController::viewDidLoad()
{
    const quint64 status = m_state->status();
    if (status & AppStatusNotLoggedIn)
        showLoginUI();
    else if (status & AppStatusLoggedIn)
        showAuthUI();
}

void LoginViewController::showLoginUI()
{
    setLoading(true);
    if (m_login)
        m_login->startLogin();
}

void LoginViewController::showAuthUI()
{
    m_roundBlue = true;
    m_pcIcon = u"login_pc_unauth.png"_s;
    m_authOffered = true;
    m_applying = false;
    setTitle(tr("申请管理员"));
    Q_EMIT looksChanged();
}

void LoginViewController::tappedAuthButton()
{
    if (isClosing())
        return;
    setLoading(true);
    m_applying = true;
    Q_EMIT looksChanged();
    if (m_login)
        m_login->startAuth();
}

void LoginViewController::tappedNotAuthButton()
{
    back();
}

void LoginViewController::loginOrAuthFinished(bool isLogin)
{
    // Once the screen is going, the result of the exchange it stopped is no news to the user.
    if (isClosing())
        return;
    const quint64 status = m_state->status();
    QString message;
    if (status & AppStatusLoggedIn) {
        setLoading(false);
        showAuthUI();
        if (!isLogin)
            m_toasts->showToast(tr("授权失败"), MessageDelay);
        return;
    }
    if (status & AppStatusAuthorized) {
        setLoading(false);
        setPcIcon(u"login_icon_shake.png"_s);
        back();
        return;
    }
    if (!(status & AppStatusNotLoggedIn))
        return;
    if (status & 0x1)
        message = tr("您已被管理员拉入黑名单");
    else if (status & 0x2)
        message = tr("您的电脑已进入全屏模式，请先退出全屏模式");
    else if (status & 0x4)
        message = tr("您的电脑已经关闭了手机遥控功能");
    else
        message = tr("连接失败");
    setLoading(false);
    back();
    m_toasts->showToast(message, MessageDelay);
}

void LoginViewController::back()
{
    if (isClosing())
        return;
    setClosing(true);
    if (m_login) {
        m_login->stopLogin();
        m_login->stopAuth();
    }
    setLoading(false);
    Q_EMIT startFallDownSendButton(FallDuration);
}

void LoginViewController::closeFinished()
{
    if (!isClosing() || m_fallEnded)
        return;
    m_fallEnded = true;
    Q_EMIT endFallDownSendButton();
    Q_EMIT closeedFunctionalSubView();
    ScreenController::closeFinished();
}

void LoginViewController::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    Q_EMIT loadingChanged();
}

void LoginViewController::setPcIcon(const QString &icon)
{
    if (m_pcIcon == icon)
        return;
    m_pcIcon = icon;
    Q_EMIT looksChanged();
}
