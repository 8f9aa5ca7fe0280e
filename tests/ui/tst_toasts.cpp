#include "DialogCenter.h"
#include "RuntimeState.h"
#include "ScreenController.h"
#include "TestCore.h"
#include "ToastCenter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The window's messages: how long a toast stays, that a new one replaces the last, busy
// indicators; dialogs in turn; the overlay bases' closing and fly-in steps.
class TestToasts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toastDurationFollowsDetailAndDelay_data()
    {
        QTest::addColumn<QString>("detail");
        QTest::addColumn<double>("delay");
        QTest::addColumn<int>("ms");
        QTest::newRow("plain") << QString() << 0.0 << 1000;
        QTest::newRow("delay") << QString() << 2.0 << 2000;
        QTest::newRow("detail wins over delay") << u"详情"_s << 2.0 << 3000;
    }
    void toastDurationFollowsDetailAndDelay()
    {
        QFETCH(QString, detail);
        QFETCH(double, delay);
        QFETCH(int, ms);
        ToastCenter toasts;
        toasts.showToast(u"连接失败"_s, detail, -20, delay);
        QCOMPARE(toasts.toastDuration(), ms);
        QTRY_VERIFY_WITH_TIMEOUT(!toasts.isToastVisible(), ms + 1000);
    }

    void newToastReplacesTheLastAndItsTimer()
    {
        ToastCenter toasts;
        toasts.showToast(u"第一条"_s, 0.3);
        QTest::qWait(200);
        toasts.showToast(u"第二条"_s, 0.3);
        QCOMPARE(toasts.title(), u"第二条"_s);
        QCOMPARE(toasts.yOffset(), ToastCenter::DefaultOffset);
        // The first one's timer must not take the second away early.
        QTest::qWait(150);
        QVERIFY(toasts.isToastVisible());
        QTRY_VERIFY(!toasts.isToastVisible());
    }

    void busyIndicatorsAndToastsExcludeEachOther()
    {
        ToastCenter toasts;
        toasts.showToast(u"提示"_s);
        toasts.showProgress();
        QVERIFY(!toasts.isToastVisible());
        QVERIFY(toasts.isProgressVisible());
        toasts.showLoading(9);
        QCOMPARE(toasts.loadingType(), 4);
        toasts.hideProgress();
        QVERIFY(!toasts.isProgressVisible());
        QCOMPARE(toasts.loadingType(), -1);
    }

    void dialogsTakeTurnsAndReportTheChoice()
    {
        DialogCenter dialogs;
        QList<int> chosen;
        dialogs.alert(QString(), u"您还没有选中任何记录"_s, {u"确定"_s},
                      [&](int i) { chosen << i; });
        dialogs.actionSheet(QString(), {u"短信分享"_s, u"邮件分享"_s, u"取消"_s},
                            [&](int i) { chosen << 10 + i; });
        QCOMPARE(dialogs.kind(), DialogCenter::Alert);
        dialogs.choose(5); // no such button
        QCOMPARE(dialogs.kind(), DialogCenter::Alert);
        dialogs.choose(0);
        QCOMPARE(dialogs.kind(), DialogCenter::Sheet);
        QCOMPARE(dialogs.buttons().size(), 3);
        dialogs.dismiss();
        QCOMPARE(dialogs.kind(), DialogCenter::None);
        QCOMPARE(chosen, (QList<int>{0, 12}));
    }

    void screenClosesOnceAfterItsFade()
    {
        ScreenController screen;
        QSignalSpy closed(&screen, &ScreenController::closed);
        screen.back();
        QVERIFY(screen.isClosing());
        QCOMPARE(closed.count(), 0);
        screen.closeFinished();
        screen.closeFinished();
        QCOMPARE(closed.count(), 1);
    }

    void itemButtonsFlyInAndOutOneByOne()
    {
        TestCore core;
        RuntimeState *state = core.core->runtimeState();
        ItemButtonScreenController screen(state, 3);
        QSignalSpy steps(&screen, &ItemButtonScreenController::itemsShownChanged);
        QElapsedTimer clock;
        clock.start();
        screen.showInView();
        QVERIFY(state->isMainViewCovered());
        QTRY_COMPARE(screen.itemsShown(), 3);
        QVERIFY(clock.elapsed() >= 3 * ItemButtonScreenController::StepMs - 20);
        screen.back();
        QVERIFY(!state->isMainViewCovered());
        QVERIFY(!screen.isClosing());
        QTRY_VERIFY(screen.isClosing());
        QCOMPARE(screen.itemsShown(), 0);
        QCOMPARE(steps.count(), 6);
    }
};

QTEST_GUILESS_MAIN(TestToasts)
#include "tst_toasts.moc"
