// The connection screen against the stand-in PC: every outcome, its message and the closing fall.
#include "LoginAndAuthCenter.h"
#include "LoginViewController.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "TestServices.h"
#include "ToastCenter.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLoginView : public QObject
{
    Q_OBJECT

    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<LoginViewController> m_screen;

    RuntimeState *state() { return m_t->core->runtimeState(); }
    LoginViewController *open()
    {
        m_screen = std::make_unique<LoginViewController>(
            m_t->hub(), state(), LoginAndAuthCenter::sharedInstance(), m_toasts.get());
        m_screen->viewDidLoad();
        return m_screen.get();
    }
    int pcRequests(const QString &kind)
    {
        return m_pc.state().value(u"requests"_s).toObject().value(kind).toInt();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString())); }
    void init()
    {
        QVERIFY(m_pc.control(u"reset"_s).value(u"ok"_s).toBool());
        m_t = std::make_unique<TestCore>(m_pc.config());
        createServices(*m_t, false);
        state()->setLastSsid(u"ZephyrWiFi"_s);
        m_toasts = std::make_unique<ToastCenter>();
    }
    void cleanup()
    {
        m_screen.reset();
        m_toasts.reset();
        m_t.reset();
    }

    void openingWhileAuthorisedStartsNothing()
    {
        state()->setStatus(AppStatusAuthorized);
        auto *screen = open();
        QCOMPARE(screen->wifiText(), u"     ZephyrWiFi"_s);
        QVERIFY(!screen->isLoading());
        QVERIFY(!screen->isAuthOffered());
        QTest::qWait(300);
        QVERIFY(!screen->isClosing());
        QCOMPARE(pcRequests(u"login"_s), 0);
    }

    void acceptedLoginOffersThenClosesOnAuthorisation()
    {
        auto *screen = open();
        QVERIFY(screen->isLoading());
        QSignalSpy offered(screen, &LoginViewController::looksChanged);
        QSignalSpy fall(screen, &LoginViewController::startFallDownSendButton);
        QVERIFY(fall.wait(10000));
        // The login gave 512 (the offer, no message), then the automatic authorisation 1024.
        QVERIFY(!offered.isEmpty());
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
        QCOMPARE(fall.first().first().toDouble(), 0.5);
        QCOMPARE(screen->pcIcon(), u"login_icon_shake.png"_s);
        QVERIFY(screen->isClosing());
        QVERIFY(!screen->isLoading());
        QVERIFY(!m_toasts->isToastVisible());
    }

    void refusedAuthorisationKeepsTheOfferAndCanBeRetried()
    {
        m_pc.control(u"verdict"_s, {{u"auth"_s, u"refuse"_s}});
        auto *screen = open();
        QTRY_COMPARE_WITH_TIMEOUT(m_toasts->title(), u"授权失败"_s, 10000);
        QVERIFY(screen->isAuthOffered());
        QVERIFY(!screen->isLoading());
        QVERIFY(!screen->isClosing());

        m_pc.control(u"verdict"_s, {{u"auth"_s, u"accept"_s}});
        QSignalSpy fall(screen, &LoginViewController::startFallDownSendButton);
        screen->tappedAuthButton();
        QVERIFY(screen->isLoading());
        QVERIFY(fall.wait(10000));
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
    }

    void failuresCloseWithTheirMessage_data()
    {
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("message");
        QTest::newRow("blacklisted") << u"blacklisted"_s << u"您已被管理员拉入黑名单"_s;
        QTest::newRow("remote control off")
            << u"remote_disabled"_s << u"您的电脑已经关闭了手机遥控功能"_s;
        QTest::newRow("refused") << u"refuse"_s << u"连接失败"_s;
        QTest::newRow("closed without a reply") << QString() << u"连接失败"_s;
    }
    void failuresCloseWithTheirMessage()
    {
        QFETCH(QString, verdict);
        QFETCH(QString, message);
        if (verdict.isEmpty())
            m_pc.fault(u"login"_s, u"close"_s);
        else
            QVERIFY(m_pc.control(u"verdict"_s, {{u"login"_s, verdict}}).value(u"ok"_s).toBool());
        auto *screen = open();
        QSignalSpy fall(screen, &LoginViewController::startFallDownSendButton);
        QVERIFY(fall.wait(10000));
        QCOMPARE(m_toasts->title(), message);
        QCOMPARE(m_toasts->toastDuration(), 2000);
        QCOMPARE(m_toasts->yOffset(), ToastCenter::DefaultOffset);
        QVERIFY(!screen->isLoading());
        QVERIFY(!screen->isAuthOffered());
    }

    void aSecondVisitAfterAFailureTriesAgain()
    {
        m_pc.control(u"verdict"_s, {{u"login"_s, u"blacklisted"_s}});
        QSignalSpy firstFall(open(), &LoginViewController::startFallDownSendButton);
        QVERIFY(firstFall.wait(10000));
        m_screen->closeFinished();
        m_pc.control(u"verdict"_s, {{u"login"_s, u"remote_disabled"_s}});
        state()->setStatus(AppStatusNotLoggedIn);
        QSignalSpy fall(open(), &LoginViewController::startFallDownSendButton);
        QVERIFY(fall.wait(10000));
        QCOMPARE(m_toasts->title(), u"您的电脑已经关闭了手机遥控功能"_s);
    }

    void fullScreenStandingHasItsMessage()
    {
        state()->setStatus(AppStatusAuthorized);
        auto *screen = open();
        state()->setStatus(AppStatusFullScreen);
        m_t->hub()->post(Notifications::LoginFinished);
        QVERIFY(screen->isClosing());
        QCOMPARE(m_toasts->title(), u"您的电脑已进入全屏模式，请先退出全屏模式"_s);
    }

    void decliningStopsTheExchangeAndSaysNothing()
    {
        m_pc.fault(u"auth"_s, u"hang"_s);
        auto *screen = open();
        QTRY_VERIFY_WITH_TIMEOUT(screen->isAuthOffered(), 10000);
        QSignalSpy fall(screen, &LoginViewController::startFallDownSendButton);
        screen->tappedNotAuthButton();
        QCOMPARE(fall.count(), 1);
        QVERIFY(screen->isClosing());
        QTest::qWait(200);
        // The stopped exchange ends, but the closing screen adds no message and no second fall.
        QVERIFY(!m_toasts->isToastVisible());
        QCOMPARE(fall.count(), 1);
        QCOMPARE(state()->status(), quint64(AppStatusLoggedIn));
    }

    void theFallEndsWithTheDelegateCallsInOrder()
    {
        state()->setStatus(AppStatusAuthorized);
        auto *screen = open();
        QStringList calls;
        connect(screen, &LoginViewController::endFallDownSendButton, this,
                [&] { calls << u"end"_s; });
        connect(screen, &LoginViewController::closeedFunctionalSubView, this,
                [&] { calls << u"closeed"_s; });
        connect(screen, &ScreenController::closed, this, [&] { calls << u"closed"_s; });
        screen->closeFinished();
        QVERIFY(calls.isEmpty());
        screen->back();
        screen->back();
        screen->closeFinished();
        screen->closeFinished();
        QCOMPARE(calls, (QStringList{u"end"_s, u"closeed"_s, u"closed"_s}));
    }
};

QTEST_GUILESS_MAIN(TestLoginView)
#include "tst_loginview.moc"
