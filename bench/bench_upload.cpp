// Upload of one large file to zephyr-pc, against a plain loopback TCP copy of the same file
// (read, send, receive, write) measured in the same run. 64 MiB by default; ZEPHYR_BENCH_FULL=1
// uses 1 GiB. Exits 1 when the upload reaches less than half the plain copy's throughput.
// Each side runs kRounds times, taking turns, and each copy is removed after its round: the
// pages freed are used again by the next, so neither side alone pays for memory the system
// touches for the first time (costly, and erratic, in a virtual machine). Medians are compared.
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "TCPFileUploadCenter.h"
#include "TestCore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
bool writeTestFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (qint64 done = 0; done < size; done += block.size()) {
        rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        const qint64 n = std::min<qint64>(block.size(), size - done);
        if (file.write(block.constData(), n) != n)
            return false;
    }
    return true;
}

/// Seconds for a plain copy of @p source over loopback TCP into @p target; negative on failure.
double plainCopy(const QString &source, const QString &target)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return -1;

    QElapsedTimer timer;
    timer.start();
    bool received = false;
    std::thread receiver([&] {
        const int peer = ::accept(listener, nullptr, nullptr);
        QFile out(target);
        if (peer < 0 || !out.open(QIODevice::WriteOnly))
            return;
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        ssize_t n;
        while ((n = ::recv(peer, buffer.data(), size_t(buffer.size()), 0)) > 0)
            out.write(buffer.constData(), n);
        ::close(peer);
        received = n == 0;
    });
    const int sender = ::socket(AF_INET, SOCK_STREAM, 0);
    QFile in(source);
    bool sent = sender >= 0 && in.open(QIODevice::ReadOnly) &&
                ::connect(sender, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    while (sent) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n <= 0)
            break;
        for (qint64 off = 0; off < n && sent;) {
            const ssize_t w = ::send(sender, buffer.constData() + off, size_t(n - off), 0);
            sent = w > 0;
            off += w;
        }
    }
    ::close(sender);
    receiver.join();
    ::close(listener);
    return sent && received ? timer.nsecsElapsed() / 1e9 : -1;
}
constexpr int kRounds = 3;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

// Writes back dirty pages first, so no round pays for the previous one's writes.
void settleDisk()
{
    QProcess::execute(u"sync"_s, {});
}

/// Seconds for one upload of @p source that arrives whole at @p arrived; negative on failure.
double uploadOnce(const AppConfig &config, const QString &source, const QString &arrived,
                  qint64 size)
{
    TestCore core(config);
    core.make<TCPFileUploadCenter>(*core.hub(), config.pcPort);
    QEventLoop loop;
    QString outcome;
    for (const QString &name :
         {Notifications::UploadFileSuccessed, Notifications::UploadFileAborted})
        core.hub()->addObserver(&loop, name, [&, name](const QVariantMap &) {
            outcome = name;
            loop.quit();
        });
    QElapsedTimer timer;
    timer.start();
    (void)TCPFileUploadCenter::sharedInstance()->uploadAssets(
        {{PhotoAsset::fromFile(source), u"C:/bench"_s}});
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (outcome == Notifications::UploadFileSuccessed && QFileInfo(arrived).size() == size)
        return seconds;
    return -1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool full = qEnvironmentVariableIntValue("ZEPHYR_BENCH_FULL") ||
                      qEnvironmentVariableIntValue("ZEPHYR_BENCH_LARGE");
    const qint64 size = full ? (qint64(1) << 30) : (qint64(64) << 20);
    QString pcBin = qEnvironmentVariable("ZEPHYR_PC_BIN");
#ifdef ZEPHYR_PC_BIN_DEFAULT
    if (pcBin.isEmpty())
        pcBin = QString::fromUtf8(ZEPHYR_PC_BIN_DEFAULT);
#endif
    QTemporaryDir files;
    QTemporaryDir pcRoot;
    const QString source = files.filePath(u"large.mov"_s);
    if (pcBin.isEmpty() || !writeTestFile(source, size)) {
        std::fprintf(stderr, "bench_upload: needs ZEPHYR_PC_BIN and room for the test file\n");
        return 2;
    }

    QProcess pc;
    pc.setStandardErrorFile(QProcess::nullDevice());
    pc.start(pcBin, {u"--root"_s, pcRoot.path(), u"--port"_s, u"0"_s});
    if (!pc.waitForStarted() || !pc.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_upload: zephyr-pc did not start\n");
        return 2;
    }
    const QJsonObject ready = QJsonDocument::fromJson(pc.readLine()).object();
    AppConfig config;
    config.pcPort = quint16(ready.value(u"port"_s).toInt());
    config.pcAddressOverride = std::optional<QString>(u"127.0.0.1"_s);
    QList<double> plainRuns, uploadRuns;
    for (int round = 0; round < kRounds; ++round) {
        settleDisk();
        plainRuns << plainCopy(source, files.filePath(u"copy.mov"_s));
        QFile::remove(files.filePath(u"copy.mov"_s));
        settleDisk();
        uploadRuns << uploadOnce(config, source, pcRoot.filePath(u"C:/bench/large.mov"_s), size);
        QFile::remove(pcRoot.filePath(u"C:/bench/large.mov"_s));
    }
    const double plainSeconds = median(plainRuns);
    const double uploadSeconds = median(uploadRuns);
    pc.terminate();
    pc.waitForFinished();
    if (*std::min_element(plainRuns.cbegin(), plainRuns.cend()) <= 0 ||
        *std::min_element(uploadRuns.cbegin(), uploadRuns.cend()) <= 0) {
        std::fprintf(stderr, "bench_upload: a plain copy or an upload failed\n");
        return 2;
    }
    const double mib = double(size) / (1 << 20);
    const double ratio = plainSeconds / uploadSeconds;
    std::printf("upload %.0f MiB to zephyr-pc: %.1f MiB/s; plain loopback copy: %.1f MiB/s; "
                "ratio %.2f (at least 0.50; medians of %d rounds)\n",
                mib, mib / uploadSeconds, mib / plainSeconds, ratio, kRounds);
    return ratio >= 0.5 ? 0 : 1;
}
