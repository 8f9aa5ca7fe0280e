#include "DefaultsKeys.h"
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

// The slide menu: header looks per status, the rows and what a highlighted row does.
class TestMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<NavigationController> m_nav;
    std::unique_ptr<MenuController> m_menu;

    RuntimeState *state() { return m_core->core->runtimeState(); }
    QVariant role(int row, int role) { return m_menu->data(m_menu->index(row), role); }

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

    void rowsThatNeedTheAdministratorOpenTheConnectionScreen()
    {
        state()->setStatus(AppStatusLoggedIn);
        m_nav->showMenu();
        QSignalSpy login(m_menu.get(), &MenuController::showLoginView);
        QSignalSpy upload(m_menu.get(), &MenuController::showUploadActionSheet);
        m_menu->tableViewCellHighlighted(MenuController::UploadRow);
        QCOMPARE(login.count(), 1);
        QCOMPARE(upload.count(), 0);
        QVERIFY(!m_nav->isLastStateRight());
        QCOMPARE(m_toasts->title(), u"请申请管理员权限"_s);
        QVERIFY(!role(1, MenuController::HighlightedRole).toBool());
        QVERIFY(!m_core->core->userDefaults().contains(DefaultsKeys::StatisticsDictionary));

        QSignalSpy clients(m_menu.get(), &MenuController::openClientList);
        m_menu->tableViewCellHighlighted(MenuController::ClientsRow);
        QCOMPARE(login.count(), 2);
        QCOMPARE(clients.count(), 0);
    }

    void authorisedRowsOpenTheirScreensAndCount()
    {
        state()->setStatus(AppStatusAuthorized);
        QSignalSpy upload(m_menu.get(), &MenuController::showUploadActionSheet);
        QSignalSpy clients(m_menu.get(), &MenuController::openClientList);
        m_menu->tableViewCellHighlighted(MenuController::UploadRow);
        QCOMPARE(upload.count(), 1);
        QVERIFY(role(1, MenuController::HighlightedRole).toBool());
        QVERIFY(DeviceInfoCenter::getStatisticsCounts().value(u"5"_s).toInt() == 1);
        // The sheet's cancellation takes the highlight away.
        m_core->core->notificationCenter()->post(Notifications::UploadActionSheetCanceled);
        QVERIFY(!role(1, MenuController::HighlightedRole).toBool());
        m_menu->tableViewCellHighlighted(MenuController::ClientsRow);
        QCOMPARE(clients.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMenu)
#include "tst_menu.moc"
