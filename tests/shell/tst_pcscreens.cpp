// The screens against the stand-in PC: the connection screen (every outcome, its message and the
// closing fall) and the feedback form (its path on the PC).
#include "FeedbackViewController.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "LoginViewController.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "TestServices.h"
#include "ToastCenter.h"
#include "UserDefaults.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPcScreens : public QObject
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
    std::unique_ptr<FeedbackViewController> openFeedback()
    {
        auto screen = std::make_unique<FeedbackViewController>(
            m_t->hub(), &m_t->core->userDefaults(), HttpRequestCenter::sharedInstance(),
            m_toasts.get());
        screen->viewWillAppear();
        return screen;
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

    // Opened while authorised it starts nothing; closing ends the fall once, however often back
    // and the end of the closing come.
    void openingWhileAuthorisedStartsNothing()
    {
        state()->setStatus(AppStatusAuthorized);
        auto *screen = open();
        QVERIFY(!screen->isLoading());
        QVERIFY(!screen->isAuthOffered());
        QTest::qWait(300);
        QVERIFY(!screen->isClosing());
        QCOMPARE(m_pc.state().value(u"requests"_s).toObject().value(u"login"_s).toInt(), 0);
        QSignalSpy end(screen, &LoginViewController::endFallDownSendButton);
        screen->closeFinished();
        QCOMPARE(end.count(), 0);
        screen->back();
        screen->back();
        screen->closeFinished();
        screen->closeFinished();
        QCOMPARE(end.count(), 1);
    }

    // The login's offer is followed by the automatic authorisation; refused, it keeps the offer
    // and its button retries; accepted, the screen closes with the fall.
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
        QCOMPARE(fall.first().first().toDouble(), 0.5);
        QVERIFY(screen->isClosing());
        QVERIFY(!screen->isLoading());
    }

    // Each refusal closes with its message, and each visit after one tries again.
    void failuresCloseWithTheirMessageAndTheNextVisitTriesAgain()
    {
        const QList<std::pair<QString, QString>> verdicts{
            {u"blacklisted"_s, u"您已被管理员拉入黑名单"_s},
            {u"remote_disabled"_s, u"您的电脑已经关闭了手机遥控功能"_s},
            {u"refuse"_s, u"连接失败"_s}};
        for (const auto &[verdict, message] : verdicts) {
            QVERIFY(m_pc.control(u"verdict"_s, {{u"login"_s, verdict}}).value(u"ok"_s).toBool());
            state()->setStatus(AppStatusNotLoggedIn);
            auto *screen = open();
            QSignalSpy fall(screen, &LoginViewController::startFallDownSendButton);
            QVERIFY(fall.wait(10000));
            QCOMPARE(m_toasts->title(), message);
            QVERIFY(!screen->isLoading());
            QVERIFY(!screen->isAuthOffered());
            screen->closeFinished();
        }
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

    void theAnswerClosesOrKeepsTheForm_data()
    {
        QTest::addColumn<int>("pcErrno");
        QTest::addColumn<QString>("toast");
        QTest::newRow("accepted: cleared and closed") << 0 << u"提交成功"_s;
        QTest::newRow("refused: open with its text") << 3 << u"您提交太频繁了，请稍后再试"_s;
    }
    void theAnswerClosesOrKeepsTheForm()
    {
        QFETCH(int, pcErrno);
        QFETCH(QString, toast);
        const bool accepted = pcErrno == 0;
        m_pc.control(u"feedback"_s, {{u"errno"_s, pcErrno}});
        auto screen = openFeedback();
        // A blank form is refused here, without a request.
        screen->setText(u"  \n \r\n"_s);
        screen->feedback();
        QCOMPARE(m_toasts->title(), u"请输入反馈内容"_s);
        screen->setText(u"很好用"_s);
        screen->setContact(u"13800000000"_s);
        screen->feedback();
        // A second tap while the first waits sends nothing more.
        screen->feedback();
        QVERIFY(screen->isSending());
        QTRY_VERIFY_WITH_TIMEOUT(!screen->isSending(), 10000);
        QCOMPARE(m_toasts->title(), toast);
        QCOMPARE(screen->isClosing(), accepted);
        QCOMPARE(screen->text(), accepted ? QString() : u"很好用"_s);
        QCOMPARE(m_pc.state().value(u"feedback"_s).toArray().size(), 1);
        // The next visit finds the unsent text again, and the contact either way.
        screen->back();
        screen = openFeedback();
        QCOMPARE(screen->text(), accepted ? QString() : u"很好用"_s);
        QCOMPARE(screen->contact(), u"13800000000"_s);
    }

    void anAnswerToSomeoneElsesSubmissionIsIgnored()
    {
        auto screen = openFeedback();
        screen->setText(u"草稿"_s);
        m_t->hub()->post(u"notification_submit_feedback_finished"_s,
                         {{u"isSuccess"_s, true}, {u"message"_s, u"提交成功"_s}});
        QCOMPARE(screen->text(), u"草稿"_s);
        QVERIFY(!screen->isClosing());
        QVERIFY(!m_toasts->isToastVisible());
    }
};

QTEST_GUILESS_MAIN(TestPcScreens)
#include "tst_pcscreens.moc"
