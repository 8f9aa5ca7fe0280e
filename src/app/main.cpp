#include "AppConfig.h"
#include "AppCore.h"
#include "AppShell.h"
#include "ForegroundWatcher.h"
#include "PlatformGui.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_AppPlugin)

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // The web page screen's engine must be set up before the application object.
    QtWebEngineQuick::initialize();
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(u"ZephyrWiFi"_s);
    QGuiApplication::setApplicationName(u"zephyr-wifi"_s);
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(u"io.zephyrwifi.ZephyrWiFi"_s);

    AppConfig config = AppConfig::fromEnvironment();
    QDir().mkpath(config.dataDir);
    auto platform = Platform::createDefault(QDir(config.dataDir).filePath(u"settings.ini"_s),
                                            config.keychainDir, config.preferSecretService);
    addGuiServices(*platform);
    AppCore core(config, std::move(platform));
    AppShell shell(core);

    // Coming back to the foreground re-reads the WiFi name and counts a start.
    ForegroundWatcher foreground;
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &foreground,
                     &ForegroundWatcher::applicationStateChanged);
    QObject::connect(&foreground, &ForegroundWatcher::willEnterForeground, &core,
                     &AppCore::willEnterForeground);
    QObject::connect(&foreground, &ForegroundWatcher::willEnterForeground, &shell,
                     &AppShell::willEnterForeground);
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &shell,
                     [&shell](Qt::ApplicationState state) {
                         if (state != Qt::ApplicationActive)
                             shell.didEnterBackground();
                     });

    if (!core.start(shell.startupHooks())) {
        std::fputs(qPrintable(core.startError() + u'\n'), stderr);
        return 1;
    }

    QQmlApplicationEngine engine;
    engine.addImportPath(u"qrc:/"_s);
    engine.addImageProvider(QLatin1StringView(BlurredImages::ProviderId),
                            shell.blurredImages()->createProvider());
    engine.addImageProvider(QLatin1StringView(QuickTransferListModel::ProviderId),
                            shell.main()->listModel()->createImageProvider());
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(u"qrc:/Zephyr/App/Main.qml"_s));
    if (engine.rootObjects().isEmpty())
        return 1;
    if (auto *window = qobject_cast<QWindow *>(engine.rootObjects().first()))
        QObject::connect(window, &QWindow::visibilityChanged, &foreground,
                         &ForegroundWatcher::windowVisibilityChanged);
    return QGuiApplication::exec();
}
