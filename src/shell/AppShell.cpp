#include "AppShell.h"

#include "AppWiring.h"

#include <QJSEngine>

using namespace Qt::StringLiterals;

namespace {
AppShell *g_shell = nullptr;
}

AppShell::AppShell(QObject *parent) : QObject(parent)
{
    g_shell = this;
    RuntimeState *s = state();
    connect(s, &RuntimeState::lastSsidChanged, this, &AppShell::wifiTextChanged);
    connect(s, &RuntimeState::statusChanged, this, &AppShell::statusTextChanged);
}

AppShell::~AppShell()
{
    if (g_shell == this)
        g_shell = nullptr;
}

AppShell *AppShell::instance()
{
    return g_shell;
}

RuntimeState *AppShell::state() const
{
    return RuntimeState::sharedInstance();
}

QString AppShell::wifiText() const
{
    const auto ssid = state()->lastSsid();
    return ssid && !ssid->isEmpty() ? *ssid : u"未连接WiFi"_s;
}

QString AppShell::statusText() const
{
    const quint64 status = state()->status();
    if (status & AppStatusAuthorized)
        return u"已连接电脑"_s;
    if (status & AppStatusLoggedIn)
        return u"已连接，未授权"_s;
    if (status == AppStatusBlacklisted)
        return u"您已被加入黑名单"_s;
    if (status == AppStatusRemoteDisabled)
        return u"电脑已关闭手机遥控"_s;
    if (status == AppStatusFullScreen)
        return u"电脑正处于全屏模式"_s;
    return u"未连接电脑"_s;
}

void AppShell::remoteControlReceived(const QString &event)
{
    AppCore::current()->remoteControlReceived(event.isEmpty() ? QVariant() : QVariant(event));
}

AppCore::Hooks AppShell::startupHooks()
{
    AppCore::Hooks hooks = AppWiring::startupHooks();
    hooks.showGuide = [this] { m_guide.show(); };
    return hooks;
}

AppShell *AppShellForeign::create(QQmlEngine *, QJSEngine *)
{
    AppShell *shell = AppShell::instance();
    QJSEngine::setObjectOwnership(shell, QJSEngine::CppOwnership);
    return shell;
}
