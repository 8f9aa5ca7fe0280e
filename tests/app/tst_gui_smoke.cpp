#include "AppShell.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_AppPlugin)

using namespace Qt::StringLiterals;

namespace {
QStringList g_warnings;
QtMessageHandler g_previous = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !message.contains(u"XDG_RUNTIME_DIR"_s))
        g_warnings << message;
    g_previous(type, context, message);
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
        m_engine->load(QUrl(u"qrc:/Zephyr/App/Main.qml"_s));
        if (m_engine->rootObjects().isEmpty())
            return nullptr;
        return qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
    }

private Q_SLOTS:
    void initTestCase() { g_previous = qInstallMessageHandler(collectWarnings); }

    void init()
    {
        g_warnings.clear();
        AppConfig c;
        c.ssidOverride = std::optional<QString>(u"测试热点"_s);
        m_core = std::make_unique<TestCore>(c);
        m_shell = std::make_unique<AppShell>();
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
        m_core->core->start(m_shell->startupHooks());
        QQuickWindow *window = load();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(m_shell->guide()->isVisible());
        QCOMPARE(m_shell->wifiText(), u"测试热点"_s);
        m_shell->guide()->tappedShowUserAgreementButton();
        QVERIFY(m_shell->guide()->agreementHtml().contains(u"用户协议"_s));

        QVERIFY(m_shell->guide()->tappedStartButton());
        QTRY_VERIFY_WITH_TIMEOUT(!m_shell->guide()->isVisible(), 3000);
        QVERIFY(m_core->core->isFirstLaunchGuideCompleted());

        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
        QCOMPARE(m_shell->statusText(), u"已连接电脑"_s);
        QTest::qWait(50);
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(u'\n')));
    }

    void laterLaunchesShowNoGuide()
    {
        m_core->core->completeFirstLaunchGuide();
        m_core->core->start(m_shell->startupHooks());
        QQuickWindow *window = load();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(!m_shell->guide()->isVisible());
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(u'\n')));
    }
};

QTEST_MAIN(TestGuiSmoke)
#include "tst_gui_smoke.moc"
