#include "CliSession.h"

#include "DeviceInfoCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
constexpr int kSettleMs = 6000;

QString refusal(quint64 status, const QString &pc)
{
    switch (status) {
    case AppStatusBlacklisted:
        return u"login refused: this phone is on the PC's blacklist"_s;
    case AppStatusRemoteDisabled:
        return u"login refused: the PC has switched off phone remote control"_s;
    case AppStatusFullScreen:
        return u"login refused: the PC is in full-screen mode"_s;
    default:
        return u"login failed: no usable answer from the PC at "_s + pc;
    }
}
} // namespace

QString CliSession::statusText(quint64 status)
{
    switch (status) {
    case AppStatusAuthorized:
        return u"authorised"_s;
    case AppStatusLoggedIn:
        return u"logged in"_s;
    case AppStatusBlacklisted:
        return u"not logged in (blacklisted)"_s;
    case AppStatusRemoteDisabled:
        return u"not logged in (remote control switched off)"_s;
    case AppStatusFullScreen:
        return u"not logged in (PC in full-screen mode)"_s;
    default:
        return u"not logged in"_s;
    }
}

int CliSession::loginAndAuthorise(CliContext &ctx, int timeoutMs)
{
    // A WiFi name reported during the login would end it, as a change of network does.
    ctx.waitUntilSettled(kSettleMs);
    RuntimeState *state = ctx.core().runtimeState();
    HttpRequestCenter *api = HttpRequestCenter::sharedInstance();
    QObject owner;
    QEventLoop loop;
    bool loginDone = false;
    bool authDone = false;
    int infoPending = 2;
    NotificationCenter *hub = ctx.core().notificationCenter();
    const auto check = [&] {
        const bool refused = loginDone && state->status() != AppStatusLoggedIn &&
                             state->status() != AppStatusAuthorized;
        if (refused || (authDone && state->status() != AppStatusAuthorized) ||
            (authDone && infoPending == 0))
            loop.quit();
    };
    hub->addObserver(&owner, Notifications::LoginFinished, [&](const QVariantMap &) {
        loginDone = true;
        check();
    });
    hub->addObserver(&owner, Notifications::AuthFinished, [&](const QVariantMap &) {
        authDone = true;
        check();
    });
    QObject::connect(api, &HttpRequestCenter::wifiInfoFinished, &owner, [&] {
        --infoPending;
        check();
    });
    QObject::connect(api, &HttpRequestCenter::diskInfoFinished, &owner, [&] {
        --infoPending;
        check();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    ctx.progress(u"logging in…"_s, true);
    LoginAndAuthCenter::sharedInstance()->startLogin();
    if (!(loginDone && (authDone || state->status() != AppStatusLoggedIn)))
        loop.exec();
    ctx.endProgress();

    const quint64 status = state->status();
    if (status == AppStatusAuthorized)
        return 0;
    // Scripts read the standing the PC's verdict left, not only the message.
    const QVariantMap details{{u"status"_s, status}};
    if (status == AppStatusLoggedIn)
        return ctx.fail(authDone ? u"authorisation failed: the PC did not accept this phone as "
                                   u"administrator"_s
                                 : u"authorisation timed out"_s,
                        details);
    if (!loginDone)
        return ctx.fail(u"login timed out"_s, details);
    const auto pc = DeviceInfoCenter::getServerWiFiIPAddress();
    return ctx.fail(refusal(status, pc.value_or(u"(no address)"_s)), details);
}
