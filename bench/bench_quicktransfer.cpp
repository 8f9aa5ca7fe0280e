// Figures of the history store and the download manager.
//   zephyr-bench-qt [--full]      (or ZEPHYR_BENCH_FULL=1): a 1 GiB file instead of 64 MiB
// The store figures are checked against their budgets; the downloads are printed beside curl
// fetching the same files from the same zephyr-pc in the same run. A download whose record
// carries the file's MD5 digest (checked as the bytes arrive) is held to at most 1.2 times the
// CPU of curl piped into md5sum.

#include "AppWiring.h"
#include "PcSim.h"

#include "AppCore.h"
#include "DataBaseCenter.h"
#include "DataBaseMethod.h"
#include "FakePlatform.h"
#include "HttpFileDownloadCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "SqliteDatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
struct Usage
{
    double cpuSelf;
    double cpuChildren;
    long maxRssKb;
};

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

Usage usage()
{
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return {seconds(self.ru_utime) + seconds(self.ru_stime),
            seconds(children.ru_utime) + seconds(children.ru_stime), self.ru_maxrss};
}

std::unique_ptr<AppCore> makeCore(const QString &dataDir, const QString &keychainDir,
                                  AppConfig config = {})
{
    config.dataDir = dataDir;
    config.keychainDir = keychainDir;
    config.deviceName = u"bench"_s;
    config.preferSecretService = false;
    auto core = std::make_unique<AppCore>(config, makeFakePlatform(dataDir + u"/settings.ini"_s));
    AppWiring::startupHooks().createServices(*core);
    return core;
}

int storeFigures()
{
    QTemporaryDir data, keys;
    auto core = makeCore(data.path(), keys.path());
    {
        DataBaseMethod create(data.path()); // the table as the store makes it
    }
    {
        SqliteDatabase db;
        db.open(DataBaseMethod::databasePath(data.path()));
        db.executeUpdateOnce(u"BEGIN"_s);
        for (int i = 0; i < 10000; ++i)
            db.executeUpdate(u"insert into quick_transfer(type, dt, path, local_path, size, thumb, "
                             "url, title, summary, md5, first_id) values(?, ?, ?, ?, ?, ?, ?, ?, "
                             "?, ?, ?)"_s,
                             {0x80001, u""_s, u"C:/docs/file%1.txt"_s.arg(i),
                              u"C:/docs/file%1.txt"_s.arg(i % 5000), 1000 + i, u""_s, u""_s, u""_s,
                              u""_s, u""_s, 0});
        db.executeUpdateOnce(u"COMMIT"_s);
    }
    auto *store = DataBaseCenter::sharedInstance();
    store->open();
    // The refresh is timed five times: the median is the figure, the first (right after
    // opening) is printed beside it.
    QElapsedTimer t;
    QList<QuickTransferObjectPtr> all;
    QList<double> refreshes;
    for (int i = 0; i < 5; ++i) {
        t.start();
        all = store->getQuickTransfer();
        refreshes << double(t.nsecsElapsed()) / 1e6;
    }
    const double firstMs = refreshes.first();
    std::sort(refreshes.begin(), refreshes.end());
    const double refreshMs = refreshes.at(refreshes.size() / 2);
    QList<quint64> ids;
    for (int i = 0; i < 1000; ++i)
        ids << all.at(i)->identifier;
    t.restart();
    store->deleteRecordsAndUnreferencedFiles(ids);
    const double deleteMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("history refresh, %lld records: %8.2f ms median of 5, first %.2f ms "
                "(budget 50 ms)\n",
                qint64(all.size()), refreshMs, firstMs);
    std::printf("delete 1000 with reference checks: %8.2f ms (budget 200 ms)\n", deleteMs);
    return refreshMs < 50 && deleteMs < 200 ? 0 : 1;
}

void makeFile(const QString &path, qint64 bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    QByteArray block(1 << 20, 'z');
    for (qint64 left = bytes; left > 0; left -= block.size())
        f.write(block.constData(), qMin<qint64>(left, block.size()));
}

// Writes back dirty pages first, so neither side pays for the other's (or the setup's) writes.
void settleDisk()
{
    QProcess::execute(u"sync"_s, {});
}

struct Figure
{
    double wall;
    double cpu;
    long rssGrowthKb;
    bool whole = true;
};

// The files and, when checked, their digests.
struct Files
{
    QStringList pcPaths;
    QStringList digests;
};

Figure ours(PcSim &pc, const Files &files, const QString &dataDir)
{
    QTemporaryDir keys;
    auto core = makeCore(dataDir, keys.path(), pc.config());
    RuntimeState::sharedInstance()->setApi(pc.api);
    auto *center = HttpFileDownloadCenter::sharedInstance();
    QList<QuickTransferObjectPtr> records;
    for (qsizetype i = 0; i < files.pcPaths.size(); ++i) {
        auto r = QuickTransferObject::createWithPath(files.pcPaths[i]);
        if (i < files.digests.size()) {
            // Named by its digest, as a shaken file is.
            r->md5 = files.digests[i];
            r->localPath.clear();
            r->applyLocalFileNameRule();
        }
        records << r;
    }
    int left = int(records.size());
    int failed = 0;
    QEventLoop loop;
    QObject watcher;
    const auto done = [&](const QVariantMap &) {
        if (--left == 0)
            loop.quit();
    };
    auto *hub = NotificationCenter::defaultCenter();
    hub->addObserver(&watcher, Notifications::DownloadFileFinished, done);
    hub->addObserver(&watcher, Notifications::DownloadFileFailed, [&](const QVariantMap &info) {
        ++failed;
        done(info);
    });
    settleDisk();
    const Usage before = usage();
    QElapsedTimer t;
    t.start();
    for (const auto &r : records)
        center->downloadFile(r);
    if (left > 0)
        loop.exec();
    const double wall = double(t.nsecsElapsed()) / 1e9;
    const Usage after = usage();
    // A figure only counts when every file arrived whole.
    bool whole = failed == 0;
    for (const auto &r : records)
        whole = whole && QFileInfo(r->downloadPath(dataDir)).size() ==
                             QFileInfo(pc.rootPath() + u'/' + r->path).size();
    return {wall, after.cpuSelf - before.cpuSelf, after.maxRssKb - before.maxRssKb, whole};
}

// curl piped into md5sum, one file after the other; whole when each digest is the file's.
Figure curlMd5(PcSim &pc, const Files &files)
{
    settleDisk();
    const Usage before = usage();
    QElapsedTimer t;
    t.start();
    bool whole = true;
    for (qsizetype i = 0; i < files.pcPaths.size(); ++i) {
        QProcess fetch;
        fetch.setStandardErrorFile(QProcess::nullDevice());
        fetch.start(u"sh"_s, {u"-c"_s, u"curl -s --fail \"$0\" | md5sum"_s,
                              pc.api + u"pc/"_s + files.pcPaths[i]});
        fetch.waitForFinished(-1);
        whole = whole && fetch.readAllStandardOutput().startsWith(files.digests[i].toLatin1());
    }
    const double wall = double(t.nsecsElapsed()) / 1e9;
    const Usage after = usage();
    return {wall, after.cpuChildren - before.cpuChildren, 0, whole};
}

Figure curl(PcSim &pc, const QStringList &pcPaths, const QString &outDir)
{
    QStringList args{u"-s"_s, u"--fail"_s, u"--parallel"_s, u"--parallel-max"_s, u"2"_s};
    for (int i = 0; i < pcPaths.size(); ++i)
        args << (pc.api + u"pc/"_s + pcPaths[i]) << u"-o"_s << (outDir + u"/f%1"_s.arg(i));
    settleDisk();
    const Usage before = usage();
    QElapsedTimer t;
    t.start();
    // curl draws its parallel progress meter even when silent: it is not part of the figures.
    QProcess fetch;
    fetch.setStandardOutputFile(QProcess::nullDevice());
    fetch.setStandardErrorFile(QProcess::nullDevice());
    fetch.start(u"curl"_s, args);
    fetch.waitForFinished(-1);
    const double wall = double(t.nsecsElapsed()) / 1e9;
    const Usage after = usage();
    bool whole = true;
    for (int i = 0; i < pcPaths.size(); ++i)
        whole = whole && QFileInfo(outDir + u"/f%1"_s.arg(i)).size() ==
                             QFileInfo(pc.rootPath() + u'/' + pcPaths[i]).size();
    return {wall, after.cpuChildren - before.cpuChildren, 0, whole};
}

// Each side fetches the files kRounds times, taking turns, into a fresh folder that is removed
// afterwards: the pages freed are used again by the next round, so neither side alone pays for
// memory the system touches for the first time (costly, and erratic, in a virtual machine). The
// medians are compared.
constexpr int kRounds = 5;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

// With digests the reference is curl piped into md5sum, and the CPU is held to at most
// kDigestCpuLimit times that reference.
constexpr double kDigestCpuLimit = 1.2;

bool compare(const char *what, PcSim &pc, const Files &files, qint64 bytes)
{
    const bool digests = !files.digests.isEmpty();
    QList<double> oursWall, oursCpu, curlWall, curlCpu;
    long rssGrowthKb = 0;
    bool whole = true;
    for (int round = 0; round < kRounds; ++round) {
        {
            QTemporaryDir dir;
            const Figure o = ours(pc, files, dir.path());
            oursWall << o.wall;
            oursCpu << o.cpu;
            rssGrowthKb = qMax(rssGrowthKb, o.rssGrowthKb);
            whole = whole && o.whole;
        }
        {
            QTemporaryDir dir;
            const Figure c = digests ? curlMd5(pc, files) : curl(pc, files.pcPaths, dir.path());
            curlWall << c.wall;
            curlCpu << c.cpu;
            whole = whole && c.whole;
        }
    }
    const double gib = double(bytes) / double(1LL << 30);
    const double ow = median(oursWall), oc = median(oursCpu);
    const double cw = median(curlWall), cc = median(curlCpu);
    std::printf("%s (%.3f GiB, median of %d rounds each):\n", what, gib, kRounds);
    std::printf("  zephyr: %7.3f s wall/GiB, %7.3f s CPU/GiB, RSS growth %ld KiB\n", ow / gib,
                oc / gib, rssGrowthKb);
    std::printf("  %s %7.3f s wall/GiB, %7.3f s CPU/GiB\n",
                digests ? "curl | md5sum:" : "curl:  ", cw / gib, cc / gib);
    const double cpuRatio = cc > 0 ? oc / cc : 0;
    std::printf("  ratio:  wall %.2f, CPU %.2f", ow / cw, cpuRatio);
    if (digests)
        std::printf(" (held to CPU %.1f)", kDigestCpuLimit);
    std::printf("\n");
    if (!whole)
        std::printf("  NOT VALID: a round did not fetch every file whole\n");
    const bool withinLimit = !digests || cpuRatio <= kDigestCpuLimit;
    if (!withinLimit)
        std::printf("  TOO SLOW: above the CPU limit\n");
    return whole && withinLimit;
}

QString md5Of(const QString &path)
{
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (f.open(QIODevice::ReadOnly))
        hash.addData(&f);
    return QString::fromLatin1(hash.result().toHex());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool full = app.arguments().contains(u"--full"_s) ||
                      qEnvironmentVariableIntValue("ZEPHYR_BENCH_FULL") == 1;
    int rc = storeFigures();

#ifdef ZEPHYR_PC_DEFAULT_BIN
    if (!qEnvironmentVariableIsSet("ZEPHYR_PC_BIN"))
        qputenv("ZEPHYR_PC_BIN", ZEPHYR_PC_DEFAULT_BIN);
#endif
    PcSim pc;
    if (!pc.start()) {
        std::fprintf(stderr, "downloads not measured: %s\n", qPrintable(pc.errorString()));
        return 1;
    }
    const qint64 large = full ? (1LL << 30) : (64LL << 20);
    makeFile(pc.rootPath() + u"/C:/large.bin"_s, large);
    QStringList small;
    for (int i = 0; i < 200; ++i) {
        small << u"C:/small/f%1.bin"_s.arg(i);
        makeFile(pc.rootPath() + u'/' + small.last(), 1 << 20);
    }
    if (!compare("one large file", pc, {{u"C:/large.bin"_s}, {}}, large))
        rc = 1;
    if (!compare("200 x 1 MiB", pc, {small, {}}, 200LL << 20))
        rc = 1;
    const Files digested{{u"C:/large.bin"_s}, {md5Of(pc.rootPath() + u"/C:/large.bin"_s)}};
    if (!compare("one large file with its MD5 digest", pc, digested, large))
        rc = 1;
    return rc;
}
