#include "DefaultsKeys.h"
#include "GuideController.h"
#include "MenuController.h"
#include "NavigationController.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "ToastCenter.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The shell's controllers without a PC: the sliding main screen (where a drag settles, what
// blocks it, how long slides take), its menu (the header per status, the rows and what a
// highlighted row does) and the first-launch guide.
class TestNavigation : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<NavigationController> m_nav;
    std::unique_ptr<MenuController> m_menu;

    RuntimeState *state() { return m_core->core->runtimeState(); }
    QVariant role(int row, int role) { return m_menu->data(m_menu->index(row), role); }
    void drag(double dx)
    {
        m_nav->panBegan();
        m_nav->panMoved(dx / 2);
        m_nav->panMoved(dx / 2);
        m_nav->panEnded();
    }

private Q_SLOTS:
    void init()
    {
        m_core = std::make_unique<TestCore>();
        m_toasts = std::make_unique<ToastCenter>();
        m_nav = std::make_unique<NavigationController>(m_core->core->notificationCenter(), state());
        m_menu = std::make_unique<MenuController>(m_core->core->notificationCenter(), state(),
                                                  &m_core->core->userDefaults(), m_nav.get(),
                                                  m_toasts.get());
        new QAbstractItemModelTester(
            m_menu.get(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_menu.get());
    }
    void cleanup()
    {
        m_menu.reset();
        m_nav.reset();
        m_toasts.reset();
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
        // Closing keeps the menu resting until the slide ends.
        QTRY_VERIFY(!m_nav->isAnimating());
        m_nav->moveToMiddle();
        QVERIFY(!m_nav->isMenuInteractive());
        QTRY_VERIFY(m_nav->isMenuInteractive());
    }

    void coveredOrOverlaidMainScreenDoesNotSlide()
    {
        for (bool covered : {true, false}) {
            m_core->core->runtimeState()->setIsMainViewCovered(covered);
            m_nav->setOverlayOpen(!covered);
            drag(200);
            QCOMPARE(m_nav->offset(), 0.0);
        }
        m_nav->setOverlayOpen(false);
        drag(200);
        QCOMPARE(m_nav->offset(), NavigationController::OpenOffset);
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

    void headerFollowsTheStatus_data()
    {
        QTest::addColumn<quint64>("status");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("blue");
        QTest::newRow("not logged in")
            << quint64(AppStatusNotLoggedIn) << u"menu_icon_disconnect.png"_s << false;
        QTest::newRow("logged in")
            << quint64(AppStatusLoggedIn) << u"menu_icon_connect.png"_s << true;
        QTest::newRow("authorised")
            << quint64(AppStatusAuthorized) << u"menu_icon_auth.png"_s << true;
    }
    void headerFollowsTheStatus()
    {
        QFETCH(quint64, status);
        QFETCH(QString, icon);
        QFETCH(bool, blue);
        state()->setStatus(status == AppStatusAuthorized ? AppStatusLoggedIn : AppStatusAuthorized);
        QSignalSpy header(m_menu.get(), &MenuController::headerChanged);
        state()->setStatus(status);
        QVERIFY(!header.isEmpty());
        QCOMPARE(m_menu->pcIcon(), icon);
        QCOMPARE(m_menu->pcOnBlue(), blue);
    }

    void rowsShowTheClientCountAndTheIntroductionMark()
    {
        state()->setClientCount(3);
        QCOMPARE(role(0, MenuController::ExtraRole).toString(), u"3"_s);
        QVERIFY(role(4, MenuController::MarkRole).toBool());
        QSignalSpy intro(m_menu.get(), &MenuController::openIntroduce);
        m_menu->tableViewCellHighlighted(MenuController::IntroduceRow);
        QCOMPARE(intro.count(), 1);
        QVERIFY(!role(4, MenuController::MarkRole).toBool());
        QVERIFY(m_core->core->userDefaults().boolForKey(DefaultsKeys::IntroductOpened));
    }

    // Upload and clients need the administrator: before, they open the connection screen and
    // count nothing; after, their own screens, and the sheet's cancellation unhighlights upload.
    void rowsThatNeedTheAdministrator()
    {
        state()->setStatus(AppStatusLoggedIn);
        m_nav->showMenu();
        QSignalSpy login(m_menu.get(), &MenuController::showLoginView);
        QSignalSpy upload(m_menu.get(), &MenuController::showUploadActionSheet);
        QSignalSpy clients(m_menu.get(), &MenuController::openClientList);
        m_menu->tableViewCellHighlighted(MenuController::UploadRow);
        m_menu->tableViewCellHighlighted(MenuController::ClientsRow);
        QCOMPARE(login.count(), 2);
        QCOMPARE(upload.count() + clients.count(), 0);
        QVERIFY(!m_nav->isLastStateRight());
        QCOMPARE(m_toasts->title(), u"请申请管理员权限"_s);
        QVERIFY(!role(1, MenuController::HighlightedRole).toBool());
        QVERIFY(!m_core->core->userDefaults().contains(DefaultsKeys::StatisticsDictionary));

        state()->setStatus(AppStatusAuthorized);
        m_menu->tableViewCellHighlighted(MenuController::UploadRow);
        QCOMPARE(upload.count(), 1);
        QVERIFY(role(1, MenuController::HighlightedRole).toBool());
        QCOMPARE(DeviceInfoCenter::getStatisticsCounts().value(u"5"_s).toInt(), 1);
        m_core->core->notificationCenter()->post(Notifications::UploadActionSheetCanceled);
        QVERIFY(!role(1, MenuController::HighlightedRole).toBool());
        m_menu->tableViewCellHighlighted(MenuController::ClientsRow);
        QCOMPARE(clients.count(), 1);
        QCOMPARE(login.count(), 2);
    }

    // The first-launch guide: the agreement gates the start button, the fade ends it for good,
    // the link asks for the agreement, and its pages stay within range.
    void guideRules()
    {
        GuideController guide;
        // Not shown yet: start does nothing.
        QVERIFY(!guide.tappedStartButton());
        guide.finishDismiss();
        QVERIFY(!m_core->core->isFirstLaunchGuideCompleted());
        guide.show();
        QVERIFY(guide.isChecked());
        guide.tappedCheckButton();
        QSignalSpy dismiss(&guide, &GuideController::dismissRequested);
        QVERIFY(!guide.tappedStartButton());
        guide.tappedCheckButton();
        QVERIFY(guide.tappedStartButton());
        QVERIFY(!guide.tappedStartButton());
        QCOMPARE(dismiss.count(), 1);
        QVERIFY(!m_core->core->isFirstLaunchGuideCompleted());
        guide.finishDismiss();
        QVERIFY(!guide.isVisible());
        QVERIFY(m_core->core->isFirstLaunchGuideCompleted());

        QSignalSpy agreement(&guide, &GuideController::showAgreementRequested);
        guide.tappedShowUserAgreementButton();
        QCOMPARE(agreement.value(0), QVariantList{u"qrc:/html/agreement.html"_s});
        guide.setPage(5);
        QCOMPARE(guide.page(), guide.pageCount() - 1);
        guide.setPage(-1);
        QCOMPARE(guide.page(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNavigation)
#include "tst_navigation.moc"
