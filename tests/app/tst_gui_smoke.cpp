#include "AppShell.h"
#include "FakePlatform.h"
#include "LoginViewController.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QmlWarnings.h"
#include "QuickTransferAnimationViewController.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "UDPCenter.h"

#include <QAccessible>
#include <QDir>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_AppPlugin)

using namespace Qt::StringLiterals;

namespace {
bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ListItem:
    case QAccessible::MenuItem:
    case QAccessible::Link:
    case QAccessible::EditableText:
    case QAccessible::Slider:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::PageTab:
        return true;
    default:
        return false;
    }
}

// Visits the visible accessible objects under @p iface.
template <class F> void walk(QAccessibleInterface *iface, F &&visit)
{
    if (!iface || iface->state().invisible)
        return;
    visit(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), visit);
}

// The controls without a name, and those that Tab never reaches (a list's rows are reached
// with the arrow keys from their list).
QStringList unnamedControls(QQuickWindow *window)
{
    QStringList found;
    walk(QAccessible::queryAccessibleInterface(window), [&](QAccessibleInterface *iface) {
        if (!isControl(iface->role()))
            return;
        QObject *o = iface->object();
        const QString name = iface->text(QAccessible::Name).trimmed();
        const auto *item = qobject_cast<QQuickItem *>(o);
        const bool tabbed = iface->role() == QAccessible::ListItem || !item || !item->isEnabled() ||
                            item->activeFocusOnTab();
        if (name.isEmpty() || !tabbed)
            found << u"%1 (%2) %3"_s.arg(
                o ? QString::fromLatin1(o->metaObject()->className()) : u"?"_s,
                o ? o->objectName() : QString(),
                name.isEmpty() ? u"has no name"_s : u"\"%1\" has no Tab"_s.arg(name));
    });
    return found;
}

// Stores what a few shakes would have left: a text, a link, a group of two pictures, a complete
// document and a document half downloaded; returns the group's newest picture.
QuickTransferObjectPtr seedHistory(TestCore &t)
{
    const QString library = t.library();
    QDir().mkpath(t.core->libraryPath(u"qt"_s));
    auto save = [&](quint64 type, const QString &dtOrPath, quint64 size, quint64 finished,
                    quint64 firstId = 0) {
        auto r = QuickTransferObject::create();
        r->type = type;
        if (type & QuickTransferTypeFileBit)
            r->path = dtOrPath;
        else if (type == QuickTransferTypeLink)
            r->url = dtOrPath;
        else
            r->dt = dtOrPath;
        r->size = size;
        r->finishedSize = finished;
        r->first_id = firstId;
        if (type == QuickTransferTypeImage) {
            r->md5 = QString::number(qHash(dtOrPath), 16).rightJustified(32, u'0');
            r->applyLocalFileNameRule();
            QImage picture(64, 48, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            picture.save(r->downloadPath(library), "PNG");
            r->size = r->finishedSize = quint64(QFileInfo(r->downloadPath(library)).size());
        }
        r->applyLocalFileNameRule();
        t.hub()->post(Notifications::SaveQuickTransfer, {{u"object"_s, QVariant::fromValue(r)}});
        return r;
    };
    save(QuickTransferTypeText, u"周五下午三点产品评审"_s, 0, 0);
    save(QuickTransferTypeLink, u"https://example.org/help"_s, 0, 0);
    const auto head = save(QuickTransferTypeImage, u"Desktop/海边.jpg"_s, 0, 0);
    const auto newest = save(QuickTransferTypeImage, u"Desktop/山顶.jpg"_s, 0, 0, head->identifier);
    save(QuickTransferTypeDocument, u"C:\\报告.pdf"_s, 4200, 4200);
    save(QuickTransferTypeDocument, u"D:\\设计稿.zip"_s, 8600000, 3870000);
    t.hub()->post(Notifications::RefreshQuickTransferList);
    return newest;
}

int countControls(QQuickWindow *window)
{
    int count = 0;
    walk(QAccessible::queryAccessibleInterface(window), [&](QAccessibleInterface *iface) {
        if (isControl(iface->role()))
            ++count;
    });
    return count;
}
} // namespace

class TestGuiSmoke : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<AppShell> m_shell;
    std::unique_ptr<QQmlApplicationEngine> m_engine;

    QQuickWindow *load()
    {
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_engine->addImportPath(u"qrc:/"_s);
        m_engine->addImageProvider(QLatin1StringView(BlurredImages::ProviderId),
                                   m_shell->blurredImages()->createProvider());
        m_engine->addImageProvider(QLatin1StringView(QuickTransferListModel::ProviderId),
                                   m_shell->main()->listModel()->createImageProvider());
        m_engine->load(QUrl(u"qrc:/Zephyr/App/Main.qml"_s));
        if (m_engine->rootObjects().isEmpty())
            return nullptr;
        return qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
    }

private Q_SLOTS:
    void initTestCase() { QmlWarnings::install(); }

    void init()
    {
        QmlWarnings::collected().clear();
        AppConfig c;
        c.ssidOverride = std::optional<QString>(u"测试热点"_s);
        m_core = std::make_unique<TestCore>(c);
        m_shell = std::make_unique<AppShell>(*m_core->core);
    }

    void cleanup()
    {
        m_engine.reset();
        m_shell.reset();
        m_core.reset();
    }

    // The guide's own rules (the agreement box gates the start button) are tested on its
    // controller; here the real window shows it, and its view ends it.
    void firstLaunchShowsTheGuideAndLeavesIt()
    {
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        QQuickWindow *window = load();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(m_shell->guide()->isVisible());
        QCOMPARE(m_shell->menu()->wifiText(), u"测试热点"_s);
        QVERIFY2(unnamedControls(window).isEmpty(),
                 qPrintable(unnamedControls(window).join(u'\n')));

        QVERIFY(m_shell->guide()->tappedStartButton());
        QTRY_VERIFY_WITH_TIMEOUT(!m_shell->guide()->isVisible(), 3000);
        QVERIFY(m_core->core->isFirstLaunchGuideCompleted());

        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        QCOMPARE(m_shell->main()->shakeIcon(), u"login_icon_shake.png"_s);
        QTest::qWait(50);
        QVERIFY2(QmlWarnings::collected().isEmpty(),
                 qPrintable(QmlWarnings::collected().join(u'\n')));
    }

    void laterLaunchesShowNoGuide()
    {
        m_core->core->completeFirstLaunchGuide();
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        QQuickWindow *window = load();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(!m_shell->guide()->isVisible());
        QVERIFY2(QmlWarnings::collected().isEmpty(),
                 qPrintable(QmlWarnings::collected().join(u'\n')));
    }

    // A shake of the phone passes the main screen's gates in order: nothing before the guide is
    // completed, a toast while not connected, a vibration and a fetch once authorised, and
    // nothing while a dialog-free sub-screen lies over the main screen.
    void shakeReachesTheMainScreenThroughItsGates()
    {
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        auto &motion = static_cast<FakeMotion &>(*m_core->core->platform().motion);
        auto &vibration = static_cast<FakeVibration &>(*m_core->core->platform().vibration);
        int shakes = 0;
        m_core->core->notificationCenter()->addObserver(this, Notifications::DeviceShaked,
                                                        [&](const QVariantMap &) { ++shakes; });
        QSignalSpy fetches(m_shell->main(), &MainViewController::openTransferPanel);

        motion.simulateShake();
        QCOMPARE(shakes, 1);
        QCOMPARE(vibration.vibrations, 0);

        m_core->core->completeFirstLaunchGuide();
        m_core->core->runtimeState()->setStatus(AppStatusNotLoggedIn);
        motion.simulateShake();
        QCOMPARE(vibration.vibrations, 1);
        QCOMPARE(m_shell->toasts()->title(), u"您的手机还未连接上电脑~"_s);
        QCOMPARE(fetches.count(), 0);

        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        motion.simulateShake();
        QCOMPARE(vibration.vibrations, 2);
        QCOMPARE(fetches.count(), 1);

        m_shell->main()->setEditing(true);
        motion.simulateShake();
        QVERIFY(!m_shell->main()->isEditing());
        QCOMPARE(fetches.count(), 1);
        QCOMPARE(shakes, 4);
    }

    // What the control channel announces shows as the window's toast, for its duration.
    void pushToastsReachTheWindow()
    {
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        auto *udp = m_core->core->service<UDPCenter>();
        QVERIFY(udp);
        Q_EMIT udp->toastRequested(u"您已被管理员加入黑名单"_s, 2000);
        QCOMPARE(m_shell->toasts()->title(), u"您已被管理员加入黑名单"_s);
        QCOMPARE(m_shell->toasts()->toastDuration(), 2000);
    }

    // Every control a person or a screen reader can reach has a name, on the main screen,
    // with the menu open and with a dialog up.
    void everyControlHasAnAccessibleName()
    {
        m_core->core->completeFirstLaunchGuide();
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        QQuickWindow *window = load();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QStringList unnamed = unnamedControls(window);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));
        QVERIFY(countControls(window) >= 5);

        m_shell->navigation()->showMenu();
        QTRY_VERIFY(!m_shell->navigation()->isAnimating());
        unnamed = unnamedControls(window);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));

        m_shell->dialogs()->alert(QString(), u"您还没有选中任何记录"_s, {u"确定"_s});
        QTest::qWait(50);
        unnamed = unnamedControls(window);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));
        QVERIFY2(QmlWarnings::collected().isEmpty(),
                 qPrintable(QmlWarnings::collected().join(u'\n')));
    }

    // The same over a filled list: its rows, selection mode, the filter menu, and the transfer
    // panel showing a picture, which comes through the list's capped loader and provider.
    void everyControlOfAFilledWindowHasANameAndATab()
    {
        m_core->core->completeFirstLaunchGuide();
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        QQuickWindow *window = load();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QuickTransferObjectPtr picture = seedHistory(*m_core);
        MainViewController *main = m_shell->main();
        QTRY_COMPARE(main->listModel()->recordRowCount(), 5);
        const auto check = [window](const char *state) {
            QTest::qWait(400);
            const QStringList unnamed = unnamedControls(window);
            return unnamed.isEmpty() ? QString()
                                     : QString::fromLatin1(state) + u":\n"_s + unnamed.join(u'\n');
        };
        QString found = check("list");
        QVERIFY(countControls(window) >= 10);
        main->setEditing(true);
        found += check("selection");
        main->setEditing(false);
        main->setFilterMenuOpen(true);
        found += check("filter menu");
        main->setFilterMenuOpen(false);

        Q_EMIT main->openTransferPanel();
        auto *panel = qobject_cast<QuickTransferAnimationViewController *>(
            m_shell->router()->openScreens().value(0));
        QVERIFY(panel);
        m_core->hub()->post(Notifications::GetNewQuickTransfer,
                            {{u"object"_s, QVariant::fromValue(picture)}});
        QTRY_COMPARE_WITH_TIMEOUT(panel->stage(), QuickTransferAnimationViewController::Result,
                                  5000);
        QTRY_VERIFY(panel->picture().startsWith(u"image://quicktransfer/"_s));
        found += check("transfer panel");
        QVERIFY2(found.isEmpty(), qPrintable(found));
        QVERIFY2(QmlWarnings::collected().isEmpty(),
                 qPrintable(QmlWarnings::collected().join(u'\n')));
    }

    // The send button hides while the connection screen's picture falls into it and shows
    // again when it has landed, or half a second after the fall should the end never come.
    void sendButtonHidesWhileTheConnectionScreenFalls()
    {
        m_core->core->completeFirstLaunchGuide();
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        MainViewController *main = m_shell->main();
        QSignalSpy changes(main, &MainViewController::sendButtonFallingChanged);
        m_shell->showLoginView();
        auto *login =
            qobject_cast<LoginViewController *>(m_shell->router()->openScreens().value(0));
        QVERIFY(login);
        QVERIFY(!main->isSendButtonFalling());
        login->back();
        QVERIFY(main->isSendButtonFalling());
        login->back();
        login->closeFinished();
        QVERIFY(!main->isSendButtonFalling());
        QCOMPARE(changes.count(), 2);

        main->startFallDownSendButton(0.1);
        QTest::qWait(300);
        QVERIFY(main->isSendButtonFalling());
        QTRY_VERIFY_WITH_TIMEOUT(!main->isSendButtonFalling(), 1000);
        QCOMPARE(changes.count(), 4);
    }
};

QTEST_MAIN(TestGuiSmoke)
#include "tst_gui_smoke.moc"
