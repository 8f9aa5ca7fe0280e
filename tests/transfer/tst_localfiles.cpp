#include "PcSim.h"
#include "TestServices.h"

#include "DownloadProgressText.h"
#include "HttpFileDownloadCenter.h"
#include "LocalFiles.h"
#include "OneFileHttp.h"
#include "RuntimeState.h"
#include "SerialQueue.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
void write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
}

FileObject entry(const QString &path, quint64 size, quint64 modified = 1700000000)
{
    FileObject f;
    f.path = path;
    f.size = size;
    f.last_modify = modified;
    return f;
}

// The outcome @p http signals, or nothing when it signals none within @p ms.
std::optional<bool> outcome(OneFileHttp &http, int ms = 10000)
{
    QSignalSpy done(&http, &OneFileHttp::downloadIsSuccess);
    if (!done.wait(ms))
        return std::nullopt;
    return done.first().first().toBool();
}
} // namespace

class TestLocalFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_core = std::make_unique<TestCore>(); }
    void cleanup() { m_core.reset(); }

    void safePaths_data()
    {
        QTest::addColumn<QString>("pcPath");
        QTest::addColumn<QString>("expected"); // relative to the folder; "" = refused
        QTest::newRow("plain") << u"C:/a/b.txt"_s << u"C:/a/b.txt"_s;
        QTest::newRow("backslashes") << u"C:\\Users\\x\\b.txt"_s << u"C:/Users/x/b.txt"_s;
        QTest::newRow("absolute") << u"/etc/passwd"_s << u"etc/passwd"_s;
        QTest::newRow("dots and empties") << u".//a/./\\b"_s << u"a/b"_s;
        QTest::newRow("parent inside") << u"a/../../x"_s << QString();
        QTest::newRow("nothing") << u"/./"_s << QString();
        QTest::newRow("nul") << u"a\u0000b"_s << QString();
        QTest::newRow("dots in names") << u"...x/..y"_s << u"...x/..y"_s;
    }
    void safePaths()
    {
        QFETCH(QString, pcPath);
        QFETCH(QString, expected);
        const QString folder = m_core->core->libraryPath(u"qt"_s);
        QCOMPARE(LocalFiles::safeLocalPath(folder, pcPath),
                 expected.isEmpty() ? QString() : folder + u'/' + expected);
    }

    void downloadAddresses()
    {
        QVERIFY(!LocalFiles::getDownloadFileUrlByPcPath(u"a.txt"_s).isValid()); // no address yet
        RuntimeState::sharedInstance()->setApi(u"http://127.0.0.1:8000/"_s);
        QCOMPARE(LocalFiles::fileUrl(u"http://127.0.0.1:8000/"_s, u"pc/"_s,
                                     u"C:/my docs/a;b=c+d#1?%.txt"_s, u"x;y=z;"_s)
                     .toEncoded(),
                 "http://127.0.0.1:8000/pc/C:/my%20docs/a;b=c+d%231%3F%25.txt?UA=x;y=z;"_ba);
        QVERIFY(LocalFiles::getCSMFileUrlByPcPath(u"桌面/文件.txt"_s)
                    .toEncoded()
                    .startsWith("http://127.0.0.1:8000/csm/%E6%A1%8C"));
    }

    // A local copy counts for the browser entry while its size and creation date match; a stale
    // copy is removed. Where the file system kept no date, the folder's side index holds it, and
    // a damaged index is no date, not a failure.
    void localCopyCheck()
    {
        const QString folder = m_core->core->libraryPath(u"file"_s);
        FileObject f = entry(u"C:\\docs\\r.txt"_s, 3);
        const QString local = LocalFiles::safeLocalPath(folder, f.path);
        write(local, "abc");
        QVERIFY(
            LocalFiles::setCreationDate(local, QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC)));
        QCOMPARE(LocalFiles::creationDate(local)->toSecsSinceEpoch(), 1700000000);
        QVERIFY(LocalFiles::isFileExist(f));
        f.last_modify += 1;
        QVERIFY(!LocalFiles::isFileExist(f));
        QVERIFY(!QFile::exists(local));
        QVERIFY(!LocalFiles::isFileExist(entry(u"../../settings.ini"_s, 3)));

        const FileObject plain = entry(u"C:/docs/plain.txt"_s, 5);
        const QString copy = LocalFiles::safeLocalPath(folder, plain.path);
        write(copy, "hello");
        const QString index =
            QFileInfo(copy).dir().filePath(QString::fromLatin1(LocalFiles::kSideIndexName));
        write(index, R"({"other.txt":1,"plain.txt":1700000000000})");
        QCOMPARE(LocalFiles::creationDate(copy)->toSecsSinceEpoch(), 1700000000);
        QVERIFY(LocalFiles::isFileExist(plain));
        write(index, "{\"plain.txt\":17000");
        QVERIFY(!LocalFiles::isFileExist(plain));
        QVERIFY(!QFile::exists(copy));
    }

    void progressTexts()
    {
        QCOMPARE(DownloadProgressText(999).initialLabel(), u"已加载：0B / 999.0B"_s);
        DownloadProgressText mid(2500000);
        QCOMPARE(mid.label(1200000), u"已加载：1.2MB / 2.5MB"_s);
        QCOMPARE(mid.progress(1250000), 0.5);
        QCOMPARE(DownloadProgressText(1000).unit(), u"KB"_s);
        QCOMPARE(DownloadProgressText(3000000000).unit(), u"GB"_s);
        QCOMPARE(DownloadProgressText(0).progress(0), 0.0);
        QCOMPARE(DownloadProgressText::iconForName(u"a.ZIP"_s), u"file_zip_big.png"_s);
        QCOMPARE(DownloadProgressText::iconForName(u"pdf"_s), u"file_default_big.png"_s);
    }

    void previewDownload()
    {
        PcSim pc;
        QVERIFY2(pc.start(), qPrintable(pc.errorString()));
        createServices(*m_core);
        state().setApi(pc.api);
        QByteArray bytes(1500000, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7 + i / 251) & 0xff);
        write(pc.rootPath() + u"/C:/p/v w.txt"_s, bytes);
        write(pc.rootPath() + u"/C:/p/big.bin"_s, QByteArray(32 << 20, 'b'));
        const FileObject f = entry(u"C:/p/v w.txt"_s, quint64(bytes.size()), 1650000000);
        const QString preview = m_core->core->libraryPath(u"preview"_s);
        {
            // Started by its creation: the signals connected afterwards see everything.
            OneFileHttp http(downloads(), state(), f, preview);
            QSignalSpy chunks(&http, &OneFileHttp::receivedData);
            QCOMPARE(outcome(http), true);
            QVERIFY(http.isSuccess());
            qint64 total = 0;
            for (const auto &c : std::as_const(chunks))
                total += c.first().toLongLong();
            QCOMPARE(total, bytes.size());
            QVERIFY(LocalFiles::isFileExist(f, preview));
        }
        QFile got(preview + u"/C:/p/v w.txt"_s);
        QVERIFY(got.open(QIODevice::ReadOnly) && got.readAll() == bytes && got.remove());

        // Cut off, or an error page instead of the file: nothing survives.
        pc.fault(u"pc"_s, u"short"_s);
        for (const FileObject &g : {f, entry(u"C:/p/absent.txt"_s, 0)}) {
            OneFileHttp http(downloads(), state(), g, preview);
            QCOMPARE(outcome(http), false);
            QVERIFY(!http.isSuccess());
        }
        QVERIFY(QDir(preview + u"/C:/p"_s).isEmpty());

        // Left while the PC is still sending: neither the file nor its part stays.
        auto *http =
            new OneFileHttp(downloads(), state(), entry(u"C:/p/big.bin"_s, 32 << 20), preview);
        QVERIFY(QSignalSpy(http, &OneFileHttp::receivedData).wait(10000));
        delete http;
        m_core->core->queue(u"writeDataQueue"_s)->waitUntilIdle();
        QVERIFY(QDir(preview + u"/C:/p"_s).isEmpty());
    }

    void previewDownloadRefusals()
    {
        const QString preview = m_core->core->libraryPath(u"preview"_s);
        createServices(*m_core);
        // Not logged in, or a name that leaves the folder: a failure to show, not a silence.
        for (const QString &api : {QString(), u"http://127.0.0.1:9/"_s}) {
            state().setApi(api);
            OneFileHttp http(downloads(), state(),
                             entry(api.isEmpty() ? u"C:/p/x.txt"_s : u"../../settings.ini"_s, 10),
                             preview);
            QCOMPARE(outcome(http, 2000), false);
        }

        // No room for the file and the reserve: only the toast, and nothing is asked for.
        downloads().setFreeSpaceProvider([] { return quint64(0xA00000) + 10; });
        OneFileHttp http(downloads(), state(), entry(u"C:/p/x.txt"_s, 10), preview);
        QSignalSpy toasts(&http, &OneFileHttp::toastRequested);
        QCOMPARE(outcome(http, 300), std::nullopt);
        QCOMPARE(toasts.size(), 1);
        QCOMPARE(toasts.first().first().toString(), u"磁盘没有足够空间"_s);
        // A stopped downloader signals nothing more.
        downloads().setFreeSpaceProvider([] { return quint64(1) << 40; });
        http.startDownload();
        http.stopDownload();
        QCOMPARE(outcome(http, 100), std::nullopt);
    }

private:
    HttpFileDownloadCenter &downloads() const
    {
        return *m_core->core->service<HttpFileDownloadCenter>();
    }
    RuntimeState &state() const { return *m_core->core->runtimeState(); }
    std::unique_ptr<TestCore> m_core;
};

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
