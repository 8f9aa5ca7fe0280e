#include "AppShell.h"
#include "FakePlatform.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QmlWarnings.h"
#include "QuickTransferAnimationViewController.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "TextViewController.h"
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
using Panel = QuickTransferAnimationViewController;

namespace {
// The visible controls under @p iface without a name or that Tab never reaches (a list's rows
// are reached with the arrow keys from their list); @p count gets how many controls there are.
QStringList faultyControls(QAccessibleInterface *iface, int &count)
{
    static const QList<QAccessible::Role> controls{
        QAccessible::Button,   QAccessible::CheckBox,     QAccessible::RadioButton,
        QAccessible::ListItem, QAccessible::MenuItem,     QAccessible::Link,
        QAccessible::Slider,   QAccessible::EditableText, QAccessible::ComboBox,
        QAccessible::SpinBox,  QAccessible::PageTab};
    QStringList found;
    if (!iface || iface->state().invisible)
        return found;
    if (controls.contains(iface->role())) {
        ++count;
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
    }
    for (int i = 0; i < iface->childCount(); ++i)
        found += faultyControls(iface->child(i), count);
    return found;
}

// Stores what a few shakes would have left: a text, a link, a group of two pictures, a complete
// document and a document half downloaded; returns the group's newest picture.
QuickTransferObjectPtr seedHistory(TestCore &t)
{
    QDir().mkpath(t.core->libraryPath(u"qt"_s));
    auto save = [&](quint64 type, const QString &value, quint64 size = 0, quint64 finished = 0,
                    quint64 firstId = 0) {
        auto r = QuickTransferObject::create();
        r->type = type;
        if (type & QuickTransferTypeFileBit)
            r->path = value;
        else if (type == QuickTransferTypeLink)
            r->url = value;
        else
            r->dt = value;
        r->size = size;
        r->finishedSize = finished;
        r->first_id = firstId;
        if (type == QuickTransferTypeImage) {
            r->md5 = QString::number(qHash(value), 16).rightJustified(32, u'0');
            r->applyLocalFileNameRule();
            QImage picture(64, 48, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            picture.save(r->downloadPath(t.library()), "PNG");
            r->size = r->finishedSize = quint64(QFileInfo(r->downloadPath(t.library())).size());
        }
        r->applyLocalFileNameRule();
        t.hub()->post(Notifications::SaveQuickTransfer, {{u"object"_s, QVariant::fromValue(r)}});
        return r;
    };
    save(QuickTransferTypeText, u"周五下午三点产品评审"_s);
    save(QuickTransferTypeLink, u"https://example.org/help"_s);
    const auto head = save(QuickTransferTypeImage, u"Desktop/海边.jpg"_s);
    const auto newest = save(QuickTransferTypeImage, u"Desktop/山顶.jpg"_s, 0, 0, head->identifier);
    save(QuickTransferTypeDocument, u"C:\\报告.pdf"_s, 4200, 4200);
    save(QuickTransferTypeDocument, u"D:\\设计稿.zip"_s, 8600000, 3870000);
    t.hub()->post(Notifications::RefreshQuickTransferList);
    return newest;
}
} // namespace

class TestGuiSmoke : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<AppShell> m_shell;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;

    // Starts the core and shows the window.
    bool load()
    {
        if (!m_core->core->start(m_shell->startupHooks()))
            return false;
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_engine->addImportPath(u"qrc:/"_s);
        m_engine->addImageProvider(QLatin1StringView(BlurredImages::ProviderId),
                                   m_shell->blurredImages()->createProvider());
        m_engine->addImageProvider(QLatin1StringView(QuickTransferListModel::ProviderId),
                                   m_shell->main()->listModel()->createImageProvider());
        m_engine->load(QUrl(u"qrc:/Zephyr/App/Main.qml"_s));
        const auto roots = m_engine->rootObjects();
        m_window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.first());
        return m_window && QTest::qWaitForWindowExposed(m_window);
    }
    // The panel a fetch from the main screen opens, its opening started as its view starts it,
    // and answered with @p record when one is given.
    Panel *fetch(const QuickTransferObjectPtr &record = {})
    {
        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        m_shell->main()->getQuickTransfer();
        const auto screens = m_shell->router()->openScreens();
        auto *panel = screens.isEmpty() ? nullptr : qobject_cast<Panel *>(screens.last());
        if (panel)
            panel->showInView();
        if (panel && record) {
            m_core->hub()->post(Notifications::GetNewQuickTransfer,
                                {{u"object"_s, QVariant::fromValue(record)}});
            (void)QTest::qWaitFor([panel] { return panel->stage() == Panel::Result; }, 4000);
        }
        return panel;
    }
    static QuickTransferObjectPtr record(quint64 type, const QString &value)
    {
        auto r = QuickTransferObject::create();
        r->type = type;
        (type == QuickTransferTypeLink ? r->url : r->dt) = value;
        return r;
    }
    // Every control a person or a screen reader can reach in @p state has a name and a Tab.
    void verifyControls(const char *state, int atLeast = 1)
    {
        QTest::qWait(400);
        int count = 0;
        const QStringList found =
            faultyControls(QAccessible::queryAccessibleInterface(m_window), count);
        QVERIFY2(found.isEmpty(),
                 qPrintable(QString::fromLatin1(state) + u":\n"_s + found.join(u'\n')));
        QVERIFY2(count >= atLeast, state);
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

    // Any QML warning while a test ran fails it.
    void cleanup()
    {
        const QStringList warnings = std::exchange(QmlWarnings::collected(), {});
        m_engine.reset();
        m_window = nullptr;
        m_shell.reset();
        m_core.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
    }

    // A shake passes the main screen's gates in order: nothing before the guide is completed, a
    // toast while not connected, a vibration and a fetch once authorised, nothing while a
    // sub-screen lies over the main screen. The control channel's toasts reach the window's.
    void shakeGatesAndPushedToasts()
    {
        QVERIFY(m_core->core->start(m_shell->startupHooks()));
        auto &motion = static_cast<FakeMotion &>(*m_core->core->platform().motion);
        auto &vibration = static_cast<FakeVibration &>(*m_core->core->platform().vibration);
        QSignalSpy fetches(m_shell->main(), &MainViewController::openTransferPanel);
        motion.simulateShake();
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

        Q_EMIT m_core->core->service<UDPCenter>()->toastRequested(u"您已被管理员加入黑名单"_s,
                                                                  2000);
        QCOMPARE(m_shell->toasts()->title(), u"您已被管理员加入黑名单"_s);
    }

    // Every control has a name and a Tab: in the first-launch guide, which the window shows and
    // its view ends; on the empty main screen, with the menu open, with a dialog up; over a
    // filled list, in selection mode, with the filter menu, and in the transfer panel showing a
    // picture, which comes through the list's capped loader.
    void everyControlHasANameAndATab()
    {
        QVERIFY(load());
        QVERIFY(m_shell->guide()->isVisible());
        verifyControls("guide");
        QVERIFY(m_shell->guide()->tappedStartButton());
        QTRY_VERIFY_WITH_TIMEOUT(!m_shell->guide()->isVisible(), 3000);
        verifyControls("empty list", 5);
        m_shell->navigation()->showMenu();
        QTRY_VERIFY(!m_shell->navigation()->isAnimating());
        verifyControls("menu");
        m_shell->dialogs()->alert(QString(), u"您还没有选中任何记录"_s, {u"确定"_s});
        verifyControls("dialog");
        m_shell->dialogs()->choose(0);
        m_shell->navigation()->moveToMiddle();
        QTRY_VERIFY(!m_shell->navigation()->isAnimating());

        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        const QuickTransferObjectPtr picture = seedHistory(*m_core);
        MainViewController *main = m_shell->main();
        QTRY_COMPARE(main->listModel()->recordRowCount(), 5);
        verifyControls("list", 10);
        main->setEditing(true);
        verifyControls("selection");
        main->setEditing(false);
        main->setFilterMenuOpen(true);
        verifyControls("filter menu");
        main->setFilterMenuOpen(false);
        Q_EMIT main->openTransferPanel();
        auto *panel = qobject_cast<Panel *>(m_shell->router()->openScreens().value(0));
        QVERIFY(panel);
        m_core->hub()->post(Notifications::GetNewQuickTransfer,
                            {{u"object"_s, QVariant::fromValue(picture)}});
        QTRY_COMPARE_WITH_TIMEOUT(panel->stage(), Panel::Result, 5000);
        QTRY_VERIFY(panel->picture().startsWith(u"image://quicktransfer/"_s));
        verifyControls("transfer panel");
    }

    // The shell opens a panel over the main screen for each fetch, and a new one for a retry
    // once the old one has gone.
    void aFetchOpensThePanelAndARetryANewOne()
    {
        Panel *first = fetch();
        QVERIFY(first);
        QVERIFY(m_shell->main()->isSubScreenOpen());
        m_core->hub()->post(Notifications::GetQuickTransferFailed, {{u"isUnknown"_s, false}});
        QTRY_COMPARE_WITH_TIMEOUT(first->stage(), Panel::Failed, 4000);
        first->tappedRetryButton();
        QVERIFY(first->isClosing());
        first->closeFinished();
        QTRY_COMPARE(m_shell->router()->openCount(), 1);
        QVERIFY(qobject_cast<Panel *>(m_shell->router()->openScreens().last()) != first);
    }

    // A text opens the text screen once the panel has gone; a link the web page over the panel,
    // which takes no shake while it is covered; the last screen gone frees the main screen.
    void panelRoutesTextsAndLinks()
    {
        Panel *panel = fetch(record(QuickTransferTypeText, u"会议纪要"_s));
        QCOMPARE(panel->stage(), Panel::Result);
        panel->tappedContentButton();
        QCOMPARE(m_shell->router()->openCount(), 1);
        QVERIFY(panel->isClosing());
        panel->closeFinished();
        QTRY_COMPARE(m_shell->router()->openCount(), 1);
        auto *text = qobject_cast<TextViewController *>(m_shell->router()->openScreens().last());
        QVERIFY(text);
        QCOMPARE(text->text(), u"会议纪要"_s);
        text->back();
        text->closeFinished();

        panel = fetch(record(QuickTransferTypeLink, u"http://example.org/"_s));
        QCOMPARE(panel->stage(), Panel::Result);
        panel->tappedContentButton();
        QCOMPARE(m_shell->router()->openCount(), 2);
        ScreenController *web = m_shell->router()->openScreens().last();
        QVERIFY(web != panel);
        QVERIFY(panel->isSelfViewConvered());
        m_core->hub()->post(Notifications::DeviceShaked);
        QVERIFY(!panel->isClosing());
        web->back();
        web->closeFinished();
        QVERIFY(!panel->isSelfViewConvered());
        m_core->hub()->post(Notifications::DeviceShaked);
        QVERIFY(panel->isClosing());
        panel->closeFinished();
        QCOMPARE(m_shell->router()->openCount(), 0);
        QVERIFY(!m_shell->main()->isSubScreenOpen());
    }

    // A picture request no screen answers leaves the panel free.
    void pictureRequestNoScreenAnswersLeavesThePanelFree()
    {
        auto image = record(QuickTransferTypeImage, {});
        image->localPath = u"photo.jpg"_s;
        Panel *panel = fetch();
        const QVariantMap object{{u"object"_s, QVariant::fromValue(image)}};
        m_core->hub()->post(Notifications::GetNewQuickTransfer, object);
        m_core->hub()->post(Notifications::DownloadFileFinished, object);
        QTRY_COMPARE_WITH_TIMEOUT(panel->stage(), Panel::Result, 4000);
        panel->tappedContentButton();
        QVERIFY(!panel->isSelfViewConvered());
        QSignalSpy picture(m_shell.get(), &AppShell::openPictureRequested);
        panel->tappedContentButton();
        QCOMPARE(picture.count(), 1);
        QVERIFY(panel->isSelfViewConvered());
    }
};

QTEST_MAIN(TestGuiSmoke)
#include "tst_gui_smoke.moc"
