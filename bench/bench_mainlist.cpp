// The main list with 10,000 stored records, a third of them images in groups, 500 of those
// complete on disk. Measures, in one run:
// - building the row model from the records (median CPU time), held to 20 ms;
// - opening the window to the first frame that shows the filled list's rows, beside the same
//   window over an empty Library to the first frame that shows its empty picture (medians of
//   alternating runs), held to 1.5 times the empty window; the main thread's CPU time of the
//   same runs is printed beside it;
// - the resident memory after the filled window has shown and scrolled through its pictures,
//   held to 200 MiB.
// Prints each figure beside what it is held to; exits 1 when one falls short.
#include "AppShell.h"
#include "DataBaseCenter.h"
#include "DefaultsKeys.h"
#include "FakePlatform.h"
#include "QuickTransferListModel.h"
#include "UserDefaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

Q_IMPORT_QML_PLUGIN(Zephyr_UiPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_HomePlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_ShellPlugin)
Q_IMPORT_QML_PLUGIN(Zephyr_AppPlugin)

using namespace Qt::StringLiterals;

namespace {
constexpr int Records = 10000;
constexpr int CompleteImages = 500;
constexpr double BuildLimitMs = 20;
constexpr double OpenLimitRatio = 1.5;
constexpr double MemoryLimitMiB = 200;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double residentMiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// The records, newest first: every third record an image, in groups of three to five.
QList<QuickTransferObjectPtr> makeRecords(quint64 firstId)
{
    QList<QuickTransferObjectPtr> records;
    quint64 id = firstId + Records;
    while (records.size() < Records) {
        const int kind = int(records.size() / 4) % 6;
        if (records.size() % 12 < 4) {
            // A group: the later images first, its head last.
            const quint64 head = id - 3;
            for (int i = 0; i < 4; ++i) {
                auto r = QuickTransferObject::create();
                r->identifier = id--;
                r->type = QuickTransferTypeImage;
                r->path = u"D:\\Pictures\\IMG_%1.jpg"_s.arg(r->identifier);
                r->size = 300000;
                r->first_id = i < 3 ? head : 0;
                records << r;
            }
            continue;
        }
        auto r = QuickTransferObject::create();
        r->identifier = id--;
        static const quint64 types[] = {QuickTransferTypeText,     QuickTransferTypeLink,
                                        QuickTransferTypeDocument, QuickTransferTypeVideo,
                                        QuickTransferTypeMusic,    QuickTransferTypeFolder};
        r->type = types[kind];
        r->dt = u"会议纪要第%1条：请在周五之前把季度报告发给我，谢谢。"_s.arg(r->identifier);
        r->title = u"网页 %1"_s.arg(r->identifier);
        r->url = u"https://example.org/articles/%1"_s.arg(r->identifier);
        r->path = u"D:\\Documents\\文件 %1.pdf"_s.arg(r->identifier);
        r->size = 1000000 + r->identifier;
        records << r;
    }
    return records;
}

struct Library
{
    QTemporaryDir data;
    QTemporaryDir keychain;
    // A Library made by another run of this program.
    QString given;

    [[nodiscard]] QString path() const { return given.isEmpty() ? data.path() : given; }

    std::unique_ptr<AppCore> core() const
    {
        AppConfig config;
        config.dataDir = path();
        config.keychainDir = keychain.path();
        config.deviceName = u"Bench phone"_s;
        config.feedbackUrl = config.statsUrl = u"http://127.0.0.1:9/"_s;
        config.pcAddressOverride = std::optional<QString>(QString());
        config.ssidOverride = std::optional<QString>(QString());
        config.preferSecretService = false;
        auto core = std::make_unique<AppCore>(
            config, makeFakePlatform(QDir(path()).filePath(u"settings.ini"_s)));
        core->userDefaults().setValue(DefaultsKeys::IsNotFirstV2, true);
        return core;
    }
};

// Stores the records as the store would (oldest first, numbered by the store), in one
// transaction so that preparing 10,000 rows takes a second, the first CompleteImages images of
// the list complete on disk.
void fill(const Library &library, const QList<QuickTransferObjectPtr> &records)
{
    QString qt;
    QString dbPath;
    {
        // The store's own start makes the folders and the table.
        auto core = library.core();
        AppShell shell(*core);
        if (!core->start(shell.startupHooks()) || !DataBaseCenter::sharedInstance()->isOpen())
            qFatal("the Library cannot be started");
        qt = core->libraryPath(u"qt"_s);
        dbPath = core->libraryPath(u"db/db.sqlite"_s);
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open(dbPath.toUtf8().constData(), &db) != SQLITE_OK)
        qFatal("the store cannot be opened");
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO quick_transfer (id, type, dt, path, local_path, size, url, "
                       "title, md5, first_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    int complete = 0;
    QImage picture(1024, 768, QImage::Format_RGB32);
    auto text = [&](int column, const QString &value) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(insert, column, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    for (const QuickTransferObjectPtr &r : records) {
        if (r->type == QuickTransferTypeImage)
            r->md5 = QString::number(r->identifier, 16).rightJustified(32, u'0');
        r->applyLocalFileNameRule();
        if (r->type == QuickTransferTypeImage && complete < CompleteImages) {
            ++complete;
            picture.fill(QColor::fromHsv(int(r->identifier % 360), 120, 230));
            const QString path = QDir(qt).filePath(r->localPath);
            picture.save(path, "JPG", 80);
            r->size = quint64(QFileInfo(path).size());
        }
        sqlite3_bind_int64(insert, 1, qint64(r->identifier));
        sqlite3_bind_int64(insert, 2, qint64(r->type));
        text(3, r->dt);
        text(4, r->path);
        text(5, r->localPath);
        sqlite3_bind_int64(insert, 6, qint64(r->size));
        text(7, r->url);
        text(8, r->title);
        text(9, r->md5);
        sqlite3_bind_int64(insert, 10, qint64(r->first_id));
        if (sqlite3_step(insert) != SQLITE_DONE)
            qFatal("a record could not be stored");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

struct Opened
{
    double ms = 0;
    double cpuMs = 0;
    double residentMiB = 0;
};

// Whether the window shows the list's content: rows when @p filled, else the empty picture.
bool showsList(QQuickWindow *window, bool filled)
{
    if (!filled) {
        const auto *empty = window->findChild<QQuickItem *>(u"emptyState"_s);
        return empty && empty->isVisible();
    }
    auto *list = window->findChild<QQuickItem *>(u"quickTransferList"_s);
    QQuickItem *row = nullptr;
    if (list && list->isVisible())
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row),
                                  Q_ARG(int, 0));
    return row != nullptr;
}

// Opens the window over @p library and times it to the first frame that shows the list (its rows
// when @p filled, else its empty picture); with @p scroll, then scrolls through the first rows
// and reads the resident memory.
Opened open(const Library &library, bool filled, bool scroll)
{
    Opened result;
    auto core = library.core();
    AppShell shell(*core);
    if (!core->start(shell.startupHooks()))
        qFatal("the Library cannot be started");
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuMs();
    QQmlApplicationEngine engine;
    engine.addImportPath(u"qrc:/"_s);
    engine.addImageProvider(QLatin1StringView(BlurredImages::ProviderId),
                            shell.blurredImages()->createProvider());
    engine.addImageProvider(QLatin1StringView(QuickTransferListModel::ProviderId),
                            shell.main()->listModel()->createImageProvider());
    engine.load(QUrl(u"qrc:/Zephyr/App/Main.qml"_s));
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
    if (!window)
        qFatal("the window did not load");
    // Rows are made while the frame is polished, before afterAnimating; the frame swapped after
    // that is the first to show them.
    bool ready = false;
    bool shown = false;
    QObject::connect(window, &QQuickWindow::afterAnimating, window,
                     [&] { ready = ready || showsList(window, filled); });
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] { shown = ready; });
    while (!shown)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    result.ms = double(timer.nsecsElapsed()) / 1e6;
    result.cpuMs = cpuMs() - cpuStart;
    if (scroll) {
        std::fprintf(stderr, "first frame: %.1f MiB\n", residentMiB());
        auto *list = window->findChild<QQuickItem *>(u"quickTransferList"_s);
        if (!list)
            qFatal("the list is missing");
        for (int step = 0; step < 400; ++step) {
            list->setProperty("contentY", step * 300.0);
            QElapsedTimer wait;
            wait.start();
            while (wait.elapsed() < 15)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            // Outside exec() rows that left the view are deleted only when asked.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        std::fprintf(stderr, "scrolled: %.1f MiB\n", residentMiB());
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        result.residentMiB = residentMiB();
    }
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int status = 0;

    // The memory is read in a process of its own that opens the window once.
    if (argc == 3 && qstrcmp(argv[1], "--scroll") == 0) {
        Library library;
        library.given = QString::fromLocal8Bit(argv[2]);
        std::printf("%.1f\n", open(library, true, true).residentMiB);
        return 0;
    }

    // 1. The row model.
    const QList<QuickTransferObjectPtr> records = makeRecords(1000);
    QuickTransferListModel model(nullptr, nullptr);
    std::vector<double> builds;
    for (int run = 0; run < 15; ++run) {
        const double start = cpuMs();
        model.setRecords(records, 0);
        builds.push_back(cpuMs() - start);
    }
    const double build = median(builds);
    std::printf("row model of %d records (%d rows): %.2f ms, limit %.0f ms, ratio %.2f\n", Records,
                model.recordRowCount(), build, BuildLimitMs, build / BuildLimitMs);
    if (build > BuildLimitMs)
        status = 1;

    // 2. The window, empty and filled, alternately.
    Library empty;
    Library filled;
    QElapsedTimer fillTimer;
    fillTimer.start();
    fill(filled, records);
    std::printf("(stored %d records and %d pictures in %.1f s)\n", Records, CompleteImages,
                double(fillTimer.elapsed()) / 1000);
    {
        auto core = filled.core();
        AppShell shell(*core);
        core->start(shell.startupHooks());
        QElapsedTimer read;
        read.start();
        const double readCpu = cpuMs();
        const auto stored = DataBaseCenter::sharedInstance()->getQuickTransfer();
        std::printf("(reading %lld records from the store: %.1f ms, %.1f ms of CPU)\n",
                    qlonglong(stored.size()), double(read.nsecsElapsed()) / 1e6, cpuMs() - readCpu);
    }
    std::vector<double> emptyRuns;
    std::vector<double> filledRuns;
    std::vector<double> emptyCpu;
    std::vector<double> filledCpu;
    open(empty, false, false); // warms the fonts and the QML caches for both
    for (int run = 0; run < 9; ++run) {
        const Opened e = open(empty, false, false);
        const Opened f = open(filled, true, false);
        emptyRuns.push_back(e.ms);
        filledRuns.push_back(f.ms);
        emptyCpu.push_back(e.cpuMs);
        filledCpu.push_back(f.cpuMs);
    }
    const double emptyMs = median(emptyRuns);
    const double filledMs = median(filledRuns);
    std::printf("window to the list's first frame: filled %.1f ms, empty %.1f ms, ratio %.2f, "
                "limit %.1f\n",
                filledMs, emptyMs, filledMs / emptyMs, OpenLimitRatio);
    // The main thread's own work, which other processes on the machine disturb less.
    std::printf("  of it the main thread's CPU time: filled %.1f ms, empty %.1f ms, ratio %.2f\n",
                median(filledCpu), median(emptyCpu), median(filledCpu) / median(emptyCpu));
    if (filledMs > OpenLimitRatio * emptyMs)
        status = 1;

    // 3. Memory after showing and scrolling the filled list, in a fresh process.
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {u"--scroll"_s, filled.path()});
    child.waitForFinished(300000);
    const double resident = child.readAllStandardOutput().trimmed().toDouble();
    std::printf("resident memory after scrolling: %.1f MiB, limit %.0f MiB, ratio %.2f\n", resident,
                MemoryLimitMiB, resident / MemoryLimitMiB);
    if (resident <= 0 || resident >= MemoryLimitMiB)
        status = 1;
    return status;
}
