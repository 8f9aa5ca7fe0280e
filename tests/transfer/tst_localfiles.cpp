// Local names for PC paths, the addresses files are fetched from, local copies, and the
// preview downloader on the download stack.
#include "HttpFileDownloadCenter.h"
#include "LocalFiles.h"
#include "OneFileHttp.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "SerialQueue.h"
#include "TestServices.h"

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
    }
    void safePaths()
    {
        QFETCH(QString, pcPath);
        QFETCH(QString, expected);
        const QString folder = u"/library/qt"_s;
        QCOMPARE(LocalFiles::safeLocalPath(folder, pcPath),
                 expected.isEmpty() ? QString() : folder + u'/' + expected);
    }

    // A "?", "#" or "%" in a PC path is escaped, so the PC is asked for the right file.
    void downloadAddresses()
    {
        QCOMPARE(LocalFiles::fileUrl(u"http://127.0.0.1:8000/"_s, u"pc/"_s,
                                     u"C:/my docs/a;b=c+d#1?%.txt"_s, u"x;y=z;"_s)
                     .toEncoded(),
                 "http://127.0.0.1:8000/pc/C:/my%20docs/a;b=c+d%231%3F%25.txt?UA=x;y=z;"_ba);
    }

    // A local copy counts while its size and creation date match; a stale copy is removed. The
    // folder's side index holds dates the file system did not keep; a damaged index is no date.
    void localCopyCheck()
    {
        const QString folder = m_core->core->libraryPath(u"file"_s);
        FileObject f = entry(u"C:\\docs\\r.txt"_s, 3);
        const QString local = LocalFiles::safeLocalPath(folder, f.path);
        write(local, "abc");
        QVERIFY(
            LocalFiles::setCreationDate(local, QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC)));
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
        QVERIFY(LocalFiles::isFileExist(plain));
        write(index, "{\"plain.txt\":17000");
        QVERIFY(!LocalFiles::isFileExist(plain));
    }

    // A preview starts when created, on the download stack: whole, or nothing left behind when
    // cut off, refused, or left while the PC is still sending.
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
            OneFileHttp http(downloads(), state(), f, preview);
            QCOMPARE(outcome(http), true);
            QVERIFY(LocalFiles::isFileExist(f, preview));
        }
        QFile got(preview + u"/C:/p/v w.txt"_s);
        QVERIFY(got.open(QIODevice::ReadOnly) && got.readAll() == bytes && got.remove());

        pc.fault(u"pc"_s, u"short"_s);
        for (const FileObject &g : {f, entry(u"C:/p/absent.txt"_s, 0)}) {
            OneFileHttp http(downloads(), state(), g, preview);
            QCOMPARE(outcome(http), false);
        }
        QVERIFY(QDir(preview + u"/C:/p"_s).isEmpty());

        auto *http =
            new OneFileHttp(downloads(), state(), entry(u"C:/p/big.bin"_s, 32 << 20), preview);
        QVERIFY(QSignalSpy(http, &OneFileHttp::receivedData).wait(10000));
        delete http;
        m_core->core->queue(u"writeDataQueue"_s)->waitUntilIdle();
        QVERIFY(QDir(preview + u"/C:/p"_s).isEmpty());

        // Not logged in, or a name that leaves the folder: a failure to show, not a silence.
        for (const QString &api : {QString(), u"http://127.0.0.1:9/"_s}) {
            state().setApi(api);
            OneFileHttp refused(
                downloads(), state(),
                entry(api.isEmpty() ? u"C:/p/x.txt"_s : u"../../settings.ini"_s, 10), preview);
            QCOMPARE(outcome(refused, 2000), false);
        }
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
