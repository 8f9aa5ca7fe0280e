// The feedback form against the stand-in's feedback path, and the about screen.
#include "AboutViewController.h"
#include "DefaultsKeys.h"
#include "FakePlatform.h"
#include "FeedbackViewController.h"
#include "HttpRequestCenter.h"
#include "PcSim.h"
#include "TestCore.h"
#include "TestServices.h"
#include "ToastCenter.h"
#include "UserDefaults.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFeedback : public QObject
{
    Q_OBJECT

    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<ToastCenter> m_toasts;

    UserDefaults &defaults() { return m_t->core->userDefaults(); }
    std::unique_ptr<FeedbackViewController> openFeedback()
    {
        auto screen = std::make_unique<FeedbackViewController>(
            m_t->hub(), &defaults(), HttpRequestCenter::sharedInstance(), m_toasts.get());
        screen->viewWillAppear();
        return screen;
    }
    QJsonArray feedbackRequests() { return m_pc.state().value(u"feedback"_s).toArray(); }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString())); }
    void init()
    {
        QVERIFY(m_pc.control(u"reset"_s).value(u"ok"_s).toBool());
        m_t = std::make_unique<TestCore>(m_pc.config());
        createServices(*m_t, false);
        m_toasts = std::make_unique<ToastCenter>();
    }
    void cleanup()
    {
        m_toasts.reset();
        m_t.reset();
    }

    void submitNeedsMoreThanSpacesAndLineBreaks()
    {
        auto screen = openFeedback();
        QVERIFY(!screen->isSubmitEnabled());
        screen->setText(u"  \n \r\n"_s);
        QVERIFY(!screen->isSubmitEnabled());
        screen->setText(screen->hint());
        QVERIFY(!screen->isSubmitEnabled());
        screen->setText(u" 好用 "_s);
        QVERIFY(screen->isSubmitEnabled());

        screen->setText(u"\n  "_s);
        screen->feedback();
        QCOMPARE(m_toasts->title(), u"请输入反馈内容"_s);
        QCOMPARE(m_toasts->yOffset(), -20.0);
        QVERIFY(!screen->isSending());
        QTest::qWait(100);
        QVERIFY(feedbackRequests().isEmpty());
    }

    void unsentTextsComeBackOnTheNextVisit()
    {
        {
            auto screen = openFeedback();
            screen->setText(u"传大文件时会断开"_s);
            screen->setContact(u"me@example.org"_s);
            screen->back();
        }
        QCOMPARE(defaults().stringForKey(DefaultsKeys::FeedbackContent), u"传大文件时会断开"_s);
        auto again = openFeedback();
        QCOMPARE(again->text(), u"传大文件时会断开"_s);
        QCOMPARE(again->contact(), u"me@example.org"_s);

        // One character is not worth restoring; the hint is never restored as a text.
        defaults().setValue(DefaultsKeys::FeedbackContent, u"x"_s);
        defaults().setValue(DefaultsKeys::FeedbackContact, u"y"_s);
        auto third = openFeedback();
        QVERIFY(third->text().isEmpty());
        QVERIFY(third->contact().isEmpty());
        defaults().setValue(DefaultsKeys::FeedbackContent, third->hint());
        QVERIFY(openFeedback()->text().isEmpty());
        third->setText(third->hint());
        third->back();
        QCOMPARE(defaults().stringForKey(DefaultsKeys::FeedbackContent), QString());
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
        screen->setText(u"很好用"_s);
        screen->setContact(u"13800000000"_s);
        screen->feedback();
        // A second tap while the first waits sends nothing more.
        screen->feedback();
        QVERIFY(screen->isSending());
        QCOMPARE(m_toasts->loadingType(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!screen->isSending(), 10000);
        QCOMPARE(m_toasts->loadingType(), -1);
        QCOMPARE(m_toasts->title(), toast);
        QCOMPARE(screen->isClosing(), accepted);
        QCOMPARE(screen->text(), accepted ? QString() : u"很好用"_s);
        if (accepted) {
            QCOMPARE(defaults().stringForKey(DefaultsKeys::FeedbackContent), QString());
            QCOMPARE(defaults().stringForKey(DefaultsKeys::FeedbackContact), u"13800000000"_s);
        }
        const QJsonArray sent = feedbackRequests();
        QCOMPARE(sent.size(), 1);
        const QJsonObject fields = sent.first().toObject().value(u"fields"_s).toObject();
        QCOMPARE(fields.value(u"txt_1"_s).toString(), u"很好用"_s);
        QCOMPARE(fields.value(u"contact_text"_s).toString(), u"13800000000"_s);
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

    void aboutRowsAct()
    {
        auto &clipboard = static_cast<FakeClipboard &>(*m_t->core->platform().clipboard);
        AboutViewController about(&clipboard, m_toasts.get());
        QAbstractItemModelTester tester(about.rows(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(about.versionText().startsWith(u"V "_s) && about.versionText().size() > 2);

        QSignalSpy pages(&about, &AboutViewController::openWebPage);
        for (int row : std::initializer_list<int>{
                 AboutViewController::SiteRow, AboutViewController::HelpRow,
                 AboutViewController::AgreementRow, AboutViewController::PrivacyRow, 17})
            about.tableViewCellHighlighted(row);
        QCOMPARE(pages.count(), 4);
        QVERIFY(pages[0].at(0).toString().endsWith(u"www.zephyrwifi.com/mobile/index.html"_s));
        QCOMPARE(pages[3].at(0).toString(), u"qrc:/html/privacy.html"_s);

        about.tableViewCellHighlighted(AboutViewController::WeixinRow);
        QCOMPARE(clipboard.text, QString::fromUtf8(AboutViewController::WeixinAccount));
        QCOMPARE(m_toasts->title(), u"微信公众帐号已复制到手机剪贴板"_s);
        QCOMPARE(m_toasts->yOffset(), -60.0);
        QCOMPARE(m_toasts->toastDuration(), 2000);
        about.tableViewCellHighlighted(AboutViewController::WeiboRow);
        QCOMPARE(clipboard.text, u"Zephyr随身wifi"_s);
    }
};

QTEST_GUILESS_MAIN(TestFeedback)
#include "tst_feedback.moc"
