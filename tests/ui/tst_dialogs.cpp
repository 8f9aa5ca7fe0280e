#include "DialogCenter.h"
#include "RuntimeState.h"
#include "ScreenController.h"
#include "TestCore.h"
#include "ToastCenter.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The window's messages: a new toast replaces the last, dialogs take turns, overlay buttons fly
// in and out over the main screen.
class TestToasts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The first toast's timer must not take the second away early.
    void newToastReplacesTheLastAndItsTimer()
    {
        ToastCenter toasts;
        toasts.showToast(u"第一条"_s, 0.3);
        QTest::qWait(200);
        toasts.showToast(u"第二条"_s, 0.3);
        QCOMPARE(toasts.title(), u"第二条"_s);
        QTest::qWait(150);
        QVERIFY(toasts.isToastVisible());
        QTRY_VERIFY(!toasts.isToastVisible());
    }

    // A dialog waits for the one before it; a button it does not have chooses nothing.
    void dialogsTakeTurnsAndReportTheChoice()
    {
        DialogCenter dialogs;
        QList<int> chosen;
        dialogs.alert(QString(), u"您还没有选中任何记录"_s, {u"确定"_s},
                      [&](int i) { chosen << i; });
        dialogs.actionSheet(QString(), {u"短信分享"_s, u"邮件分享"_s, u"取消"_s},
                            [&](int i) { chosen << 10 + i; });
        QCOMPARE(dialogs.kind(), DialogCenter::Alert);
        dialogs.choose(5);
        QCOMPARE(dialogs.kind(), DialogCenter::Alert);
        dialogs.choose(0);
        QCOMPARE(dialogs.kind(), DialogCenter::Sheet);
        dialogs.dismiss();
        QCOMPARE(dialogs.kind(), DialogCenter::None);
        QCOMPARE(chosen, (QList<int>{0, 12}));
    }

    // The main screen is covered while the buttons are shown and uncovered at once on going back;
    // the screen closes once the last button has flown out.
    void itemButtonsFlyInAndOut()
    {
        TestCore core;
        RuntimeState *state = core.core->runtimeState();
        ItemButtonScreenController screen(state, 3);
        screen.showInView();
        QVERIFY(state->isMainViewCovered());
        QTRY_COMPARE(screen.itemsShown(), 3);
        screen.back();
        QVERIFY(!state->isMainViewCovered());
        QVERIFY(!screen.isClosing());
        QTRY_VERIFY(screen.isClosing());
        QCOMPARE(screen.itemsShown(), 0);
    }
};

QTEST_GUILESS_MAIN(TestToasts)
#include "tst_toasts.moc"
