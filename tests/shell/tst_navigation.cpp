#include "NavigationController.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QSignalSpy>
#include <QTest>

// The sliding main screen: where a drag settles, what blocks it, and how long slides take.
class TestNavigation : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<NavigationController> m_nav;

    void drag(double dx)
    {
        m_nav->panBegan();
        // A drag arrives as several updates.
        m_nav->panMoved(dx / 2);
        m_nav->panMoved(dx / 2);
        m_nav->panEnded();
    }

private Q_SLOTS:
    void init()
    {
        m_core = std::make_unique<TestCore>();
        m_nav = std::make_unique<NavigationController>(m_core->core->notificationCenter(),
                                                       m_core->core->runtimeState());
    }
    void cleanup()
    {
        m_nav.reset();
        m_core.reset();
    }

    // Closed, a drag opens beyond 80 points; open, one of 50 points closes.
    void dragSettlesByItsThreshold_data()
    {
        QTest::addColumn<bool>("fromOpen");
        QTest::addColumn<double>("dx");
        QTest::addColumn<bool>("open");
        QTest::newRow("closed, 80 stays closed") << false << 80.0 << false;
        QTest::newRow("closed, 81 opens") << false << 81.0 << true;
        QTest::newRow("closed, to the left does nothing") << false << -40.0 << false;
        QTest::newRow("open, 49 stays open") << true << -49.0 << true;
        QTest::newRow("open, 50 closes") << true << -50.0 << false;
    }
    void dragSettlesByItsThreshold()
    {
        QFETCH(bool, fromOpen);
        QFETCH(double, dx);
        QFETCH(bool, open);
        if (fromOpen)
            m_nav->showMenu();
        drag(dx);
        QCOMPARE(m_nav->isLastStateRight(), open);
        QCOMPARE(m_nav->offset(), open ? NavigationController::OpenOffset : 0.0);
    }

    void slidesTakeThreeTenthsPerFullWidth()
    {
        m_nav->panBegan();
        m_nav->panMoved(140);
        m_nav->panEnded();
        // 140 of 280 points left to go: half a slide.
        QCOMPARE(m_nav->animationDuration(), 150);
        QVERIFY(m_nav->isAnimating());
        QTRY_VERIFY(!m_nav->isAnimating());
        m_nav->showMenu();
        QCOMPARE(m_nav->animationDuration(), 300);
    }

    void coveredOrOverlaidMainScreenDoesNotSlide()
    {
        m_core->core->runtimeState()->setIsMainViewCovered(true);
        drag(200);
        QCOMPARE(m_nav->offset(), 0.0);
        m_core->core->runtimeState()->setIsMainViewCovered(false);
        m_nav->setOverlayOpen(true);
        drag(200);
        QCOMPARE(m_nav->offset(), 0.0);
        m_nav->setOverlayOpen(false);
        drag(200);
        QCOMPARE(m_nav->offset(), NavigationController::OpenOffset);
    }

    void tapClosesOnlyTheOpenMenu()
    {
        m_nav->tapped();
        QCOMPARE(m_nav->offset(), 0.0);
        m_nav->showMenu();
        QVERIFY(!m_nav->isMainInteractive());
        m_nav->tapped();
        QCOMPARE(m_nav->offset(), 0.0);
        QVERIFY(!m_nav->isLastStateRight());
        QVERIFY(m_nav->isMainInteractive());
    }

    void dragCutOffByTheBackgroundSettles()
    {
        int resigns = 0;
        m_core->core->notificationCenter()->addObserver(
            this, Notifications::MenuResignFirstResponser, [&](const QVariantMap &) { ++resigns; });
        m_nav->panBegan();
        m_nav->panMoved(120);
        QVERIFY(!m_nav->isMenuInteractive());
        m_nav->didEnterBackground();
        QCOMPARE(m_nav->offset(), NavigationController::OpenOffset);
        QVERIFY(m_nav->isMenuInteractive());
        QVERIFY(resigns >= 2);
        // The drag's own end after that settles nothing more.
        m_nav->panEnded();
        QCOMPARE(m_nav->offset(), NavigationController::OpenOffset);
    }

    void closingKeepsTheMenuRestingUntilTheSlideEnds()
    {
        m_nav->showMenu();
        QTRY_VERIFY(!m_nav->isAnimating());
        m_nav->moveToMiddle();
        QVERIFY(!m_nav->isMenuInteractive());
        QTRY_VERIFY(m_nav->isMenuInteractive());
    }
};

QTEST_GUILESS_MAIN(TestNavigation)
#include "tst_navigation.moc"
