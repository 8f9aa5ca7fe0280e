// Runs the application against the stand-in PC with realistic content and saves a picture of
// every screen and state of the tour in the folder given as the first argument.

#include "AppShell.h"
#include "PcSim.h"
#include "QmlWarnings.h"
#include "Shots.h"
#include "TestCore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_AppPlugin)

using namespace Qt::StringLiterals;

namespace {
// The PC's files: what a person would have on a desktop.
void fillPc(PcSim &pc)
{
    QDir root(pc.rootPath());
    root.mkpath(u"C:/Users/me/Documents"_s);
    root.mkpath(u"D:/Music"_s);
    root.mkpath(u"Desktop/旅行照片"_s);
    auto write = [&](const QString &path, const QByteArray &bytes) {
        QFile f(root.filePath(path));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    };
    write(u"Desktop/会议纪要.txt"_s, "周五下午三点产品评审，带上样机。\n");
    write(u"C:/Users/me/Documents/季度报告.pdf"_s, QByteArray(420000, 'p'));
    write(u"D:/Music/夜曲.mp3"_s, QByteArray(3600000, 'm'));
}
} // namespace

int main(int argc, char *argv[])
{
    QtWebEngineQuick::initialize();
    QGuiApplication app(argc, argv);
    QmlWarnings::install();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s;
    QDir().mkpath(out);

    PcSim pc;
    if (!pc.start()) {
        std::fprintf(stderr, "zephyr-screenshots: %s\n", qPrintable(pc.errorString()));
        return 1;
    }
    fillPc(pc);
    TestCore core(pc.config(), true);
    AppShell shell(*core.core);
    if (!core.core->start(shell.startupHooks())) {
        std::fprintf(stderr, "zephyr-screenshots: %s\n", qPrintable(core.core->startError()));
        return 1;
    }

    QQmlApplicationEngine engine;
    engine.addImportPath(u"qrc:/"_s);
    engine.addImageProvider(QLatin1StringView(BlurredImages::ProviderId),
                            shell.blurredImages()->createProvider());
    engine.addImageProvider(QLatin1StringView(QuickTransferListModel::ProviderId),
                            shell.main()->listModel()->createImageProvider());
    engine.load(QUrl(u"qrc:/Zephyr/App/Main.qml"_s));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window || !QTest::qWaitForWindowExposed(window))
        return 1;

    std::vector<Shot> shots;
    addShellShots(shots);
    addShellScreenShots(shots);
    addListShots(shots);
    addPanelShots(shots);

    ShotContext context{&shell, &pc, window};
    int failures = 0;
    for (Shot &shot : shots) {
        shot.action(context);
        QElapsedTimer clock;
        clock.start();
        while (!shot.ready(context) && clock.elapsed() < 10000)
            QTest::qWait(50);
        if (!shot.ready(context)) {
            std::fprintf(stderr, "zephyr-screenshots: %s never became ready\n",
                         qPrintable(shot.name));
            ++failures;
            continue;
        }
        QTest::qWait(shot.settleMs);
        const QString file = QDir(out).filePath(shot.name + u".png"_s);
        if (!window->grabWindow().save(file)) {
            std::fprintf(stderr, "zephyr-screenshots: cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    for (const QString &w : std::as_const(QmlWarnings::collected()))
        std::fprintf(stderr, "zephyr-screenshots: warning: %s\n", qPrintable(w));
    std::printf("%zu pictures in %s\n", shots.size() - size_t(failures), qPrintable(out));
    return failures || !QmlWarnings::collected().isEmpty() ? 1 : 0;
}
