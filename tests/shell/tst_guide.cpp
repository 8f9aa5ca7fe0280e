// The first-launch guide's rules: the agreement gates the start button, the fade ends it for
// good, and its pages stay within range.
#include "GuideController.h"
#include "TestCore.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestGuide : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreementGatesTheStartButton()
    {
        TestCore t;
        GuideController guide;
        // Not shown yet: start does nothing.
        QVERIFY(!guide.tappedStartButton());
        guide.finishDismiss();
        QVERIFY(!t.core->isFirstLaunchGuideCompleted());
        guide.show();
        QVERIFY(guide.isChecked());
        guide.tappedCheckButton();
        QVERIFY(!guide.isChecked());
        QSignalSpy dismiss(&guide, &GuideController::dismissRequested);
        QVERIFY(!guide.tappedStartButton());
        QVERIFY(dismiss.isEmpty());
        guide.tappedCheckButton();
        QVERIFY(guide.tappedStartButton());
        QVERIFY(!guide.tappedStartButton());
        QCOMPARE(dismiss.count(), 1);
        QVERIFY(!t.core->isFirstLaunchGuideCompleted());
        guide.finishDismiss();
        QVERIFY(!guide.isVisible());
        QVERIFY(t.core->isFirstLaunchGuideCompleted());
    }

    void linkAsksForTheAgreementPageAndPagesStayInRange()
    {
        GuideController guide;
        QSignalSpy agreement(&guide, &GuideController::showAgreementRequested);
        guide.tappedShowUserAgreementButton();
        QCOMPARE(agreement.count(), 1);
        QCOMPARE(agreement.first().first().toString(), u"qrc:/html/agreement.html"_s);
        guide.setPage(5);
        QCOMPARE(guide.page(), guide.pageCount() - 1);
        guide.setPage(-1);
        QCOMPARE(guide.page(), 0);
    }
};

QTEST_GUILESS_MAIN(TestGuide)
#include "tst_guide.moc"
