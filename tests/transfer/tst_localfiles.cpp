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
        const QString got = LocalFiles::safeLocalPath(folder, pcPath);
        if (expected.isEmpty()) {
            QVERIFY2(got.isEmpty(), qPrintable(got));
        } else {
            QCOMPARE(got, folder + u'/' + expected);
        }
    }

    void downloadAddresses()
    {
        QVERIFY(!LocalFiles::getDownloadFileUrlByPcPath(u"a.txt"_s).isValid()); // no address yet
        RuntimeState::sharedInstance()->setApi(u"http://127.0.0.1:8000/"_s);
        const QUrl url = LocalFiles::fileUrl(u"http://127.0.0.1:8000/"_s, u"pc/"_s,
                                             u"C:/my docs/a;b=c+d#1?%.txt"_s, u"x;y=z;"_s);
        QVERIFY(url.isValid());
        const QByteArray text = url.toEncoded();
        QCOMPARE(text, QByteArray("http://127.0.0.1:8000/pc/C:/my%20docs/a;b=c+d%231%3F%25.txt"
                                  "?UA=x;y=z;"));
        const QUrl csm = LocalFiles::getCSMFileUrlByPcPath(u"桌面/文件.txt"_s);
        QVERIFY(csm.toEncoded().startsWith("http://127.0.0.1:8000/csm/%E6%A1%8C"));
    }

    void localCopyCheck()
    {
        FileObject f = localCopy(u"C:\\docs\\r.txt"_s, "abc");
        const QString local =
            LocalFiles::safeLocalPath(m_core->core->libraryPath(u"file"_s), f.path);
        QVERIFY(
            LocalFiles::setCreationDate(local, QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC)));
        QCOMPARE(LocalFiles::creationDate(local)->toSecsSinceEpoch(), 1700000000);
        QVERIFY(LocalFiles::isFileExist(f));
        f.last_modify += 1; // same size, other date: stale, removed
        QVERIFY(!LocalFiles::isFileExist(f));
        QVERIFY(!QFile::exists(local));
        FileObject hostile;
        hostile.path = u"../../settings.ini"_s;
        QVERIFY(!LocalFiles::isFileExist(hostile));
    }

    void datesKeptBesideTheFiles()
    {
        // Where the file system kept no attribute, the dates are in the folder's side index.
        const FileObject f = localCopy(u"C:/docs/plain.txt"_s, "hello");
        const QString local =
            LocalFiles::safeLocalPath(m_core->core->libraryPath(u"file"_s), f.path);
        const QString index =
            QFileInfo(local).dir().filePath(QString::fromLatin1(LocalFiles::kSideIndexName));
        write(index, R"({"other.txt":1,"plain.txt":1700000000000})");
        QCOMPARE(LocalFiles::creationDate(local)->toSecsSinceEpoch(), 1700000000);
        QVERIFY(LocalFiles::isFileExist(f));

        // A damaged index is no date, not a failure: the copy is taken for stale.
        write(index, "{\"plain.txt\":17000");
        const auto date = LocalFiles::creationDate(local);
        QVERIFY(!date || date->toSecsSinceEpoch() != 1700000000);
        QVERIFY(!LocalFiles::isFileExist(f));
        QVERIFY(!QFile::exists(local));
    }

    void progressTexts()
    {
        DownloadProgressText small(999);
        QCOMPARE(small.unit(), u"B"_s);
        QCOMPARE(small.initialLabel(), u"已加载：0B / 999.0B"_s);
        DownloadProgressText mid(2500000);
        QCOMPARE(mid.label(1200000), u"已加载：1.2MB / 2.5MB"_s);
        QCOMPARE(mid.progress(1250000), 0.5);
        QCOMPARE(DownloadProgressText(1000).unit(), u"KB"_s);
        QCOMPARE(DownloadProgressText(3000000000).unit(), u"GB"_s);
        QCOMPARE(DownloadProgressText(0).progress(0), 0.0);
        QCOMPARE(DownloadProgressText::iconForName(u"a.ZIP"_s), u"file_zip_big.png"_s);
        QCOMPARE(DownloadProgressText::iconForName(u"a.docx"_s), u"file_doc_big.png"_s);
        QCOMPARE(DownloadProgressText::iconForName(u"pdf"_s), u"file_default_big.png"_s);
    }

    void previewDownload()
    {
        PcSim pc;
        QVERIFY2(pc.start(), qPrintable(pc.errorString()));
        createServices(*m_core);
        state().setApi(pc.api);
        QDir().mkpath(pc.rootPath() + u"/C:/p"_s);
        const QByteArray bytes = pattern(1500000);
        write(pc.rootPath() + u"/C:/p/v w.txt"_s, bytes);
        write(pc.rootPath() + u"/C:/p/big.bin"_s, QByteArray(32 << 20, 'b'));
        FileObject f, absent, big;
        f.path = u"C:/p/v w.txt"_s;
        f.size = quint64(bytes.size());
        f.last_modify = 1650000000;
        absent.path = u"C:/p/absent.txt"_s;
        big.path = u"C:/p/big.bin"_s;
        big.size = 32 << 20;
        const QString preview = m_core->core->libraryPath(u"preview"_s);
        {
            // Started by its creation: the signals connected afterwards see everything.
            OneFileHttp http(downloads(), state(), f, preview);
            QSignalSpy done(&http, &OneFileHttp::downloadIsSuccess);
            QSignalSpy chunks(&http, &OneFileHttp::receivedData);
            QVERIFY(done.wait(10000));
            QVERIFY(done.first().first().toBool() && http.isSuccess());
            qint64 total = 0;
            for (const auto &c : std::as_const(chunks))
                total += c.first().toLongLong();
            QCOMPARE(total, bytes.size());
            QVERIFY(LocalFiles::isFileExist(f, preview));
        }
        QCOMPARE(read(preview + u"/C:/p/v w.txt"_s), bytes);

        // Cut off, or an error page instead of the file: nothing survives.
        QVERIFY(QFile::remove(preview + u"/C:/p/v w.txt"_s));
        pc.fault(u"pc"_s, u"short"_s);
        for (const FileObject &g : {f, absent}) {
            OneFileHttp http(downloads(), state(), g, preview);
            QSignalSpy done(&http, &OneFileHttp::downloadIsSuccess);
            QVERIFY(done.wait(10000));
            QVERIFY(!done.first().first().toBool() && !http.isSuccess());
        }
        QVERIFY(QDir(preview + u"/C:/p"_s).isEmpty());

        // Left while the PC is still sending: neither the file nor its part stays.
        auto *http = new OneFileHttp(downloads(), state(), big, preview);
        QSignalSpy chunks(http, &OneFileHttp::receivedData);
        QVERIFY(chunks.wait(10000));
        delete http;
        m_core->core->queue(u"writeDataQueue"_s)->waitUntilIdle();
        QVERIFY(QDir(preview + u"/C:/p"_s).isEmpty());
    }

    void previewDownloadRefusals()
    {
        FileObject f;
        f.path = u"C:/p/x.txt"_s;
        f.size = 10;
        const QString preview = m_core->core->libraryPath(u"preview"_s);
        createServices(*m_core);

        // Not logged in, or a name that leaves the folder: a failure to show, not a silence.
        for (const QString &api : {QString(), u"http://127.0.0.1:9/"_s}) {
            state().setApi(api);
            FileObject g = f;
            if (!api.isEmpty())
                g.path = u"../../settings.ini"_s;
            OneFileHttp http(downloads(), state(), g, preview);
            QSignalSpy done(&http, &OneFileHttp::downloadIsSuccess);
            QVERIFY(done.wait(2000));
            QCOMPARE(done.first().first().toBool(), false);
        }

        // No room for the file and the reserve: only the toast, and nothing is asked for.
        downloads().setFreeSpaceProvider([] { return quint64(0xA00000) + 10; });
        OneFileHttp http(downloads(), state(), f, preview);
        QSignalSpy toasts(&http, &OneFileHttp::toastRequested);
        QSignalSpy done(&http, &OneFileHttp::downloadIsSuccess);
        QVERIFY(toasts.wait(2000));
        QCOMPARE(toasts.first().first().toString(), u"磁盘没有足够空间"_s);
        QTest::qWait(50);
        QVERIFY(done.isEmpty());
        // A stopped downloader signals nothing more.
        downloads().setFreeSpaceProvider([] { return quint64(1) << 40; });
        http.startDownload();
        http.stopDownload();
        QTest::qWait(50);
        QVERIFY(done.isEmpty());
    }

private:
    // A browser entry of 1700000000 and a local copy of it holding @p bytes.
    FileObject localCopy(const QString &pcPath, const QByteArray &bytes)
    {
        FileObject f;
        f.path = pcPath;
        f.size = quint64(bytes.size());
        f.last_modify = 1700000000;
        const QString local =
            LocalFiles::safeLocalPath(m_core->core->libraryPath(u"file"_s), pcPath);
        QDir().mkpath(QFileInfo(local).absolutePath());
        write(local, bytes);
        return f;
    }
    static void write(const QString &path, const QByteArray &data)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    HttpFileDownloadCenter &downloads() const
    {
        return *m_core->core->service<HttpFileDownloadCenter>();
    }
    RuntimeState &state() const { return *m_core->core->runtimeState(); }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QByteArray pattern(qsizetype size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char((i * 7 + i / 251) & 0xff);
        return bytes;
    }
    std::unique_ptr<TestCore> m_core;
};

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
