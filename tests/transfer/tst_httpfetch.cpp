// The download fetch against a scripted HTTP peer on its own thread, and the answer-head decoder
// on byte fixtures.
#include "HttpFileFetch.h"
#include "HttpResponseHead.h"
#include "ScriptedPeer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
QByteArray content(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

Q_DECLARE_METATYPE(Reply)
Q_DECLARE_METATYPE(HttpResponseHead::Parse)

class TestHttpFetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Complete heads give status, length, keep-alive, coding and the head's length.
    void heads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<HttpResponseHead::Parse>("result");
        QTest::addColumn<QList<qint64>>("fields");
        const auto ok = [](const char *name, const QByteArray &bytes, const QList<qint64> &fields) {
            QTest::newRow(name) << bytes << HttpResponseHead::Parse::Complete << fields;
        };
        const auto bad = [](const char *name, const QByteArray &bytes, bool invalid = true) {
            QTest::newRow(name) << bytes
                                << (invalid ? HttpResponseHead::Parse::Invalid
                                            : HttpResponseHead::Parse::Incomplete)
                                << QList<qint64>();
        };
        ok("plain, body follows", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
           {200, 5, 1, 0, 38});
        ok("bare line feeds", "HTTP/1.1 206 Partial\nContent-length:7\n\nx", {206, 7, 1, 0, 39});
        ok("no reason phrase", "HTTP/1.1 200\r\nContent-Length: 0\r\n\r\n", {200, 0, 1, 0, 35});
        ok("1.0 closes", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\n", {200, 1, 0, 0, 38});
        ok("1.0 asking to stay",
           "HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 1\r\n\r\n",
           {200, 1, 1, 0, 62});
        ok("1.1 closing", "HTTP/1.1 200 OK\r\nConnection: foo, close\r\nContent-Length: 1\r\n\r\n",
           {200, 1, 0, 0, 62});
        ok("no length", "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", {200, -1, 1, 0, 30});
        ok("chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n",
           {200, -1, 1, 1, 47});
        ok("same length twice",
           "HTTP/1.1 200 OK\r\nContent-Length: 3\r\ncontent-length:  3 \r\n\r\n",
           {200, 3, 1, 0, 59});
        ok("error status", "HTTP/1.1 404 Not Found\r\n\r\n", {404, -1, 1, 0, 26});
        bad("nothing yet", {}, false);
        bad("long, still under the cap", "HTTP/1.1 200 OK\r\nX: "_ba + QByteArray(16000, 'a'),
            false);
        bad("never ends",
            "HTTP/1.1 200 OK\r\nX: "_ba + QByteArray(HttpResponseHead::kMaxBytes, 'a'));
        bad("two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n");
        bad("negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n");
        bad("length not a number", "HTTP/1.1 200 OK\r\nContent-Length: 12a\r\n\r\n");
        bad("length too big", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n");
        bad("not HTTP", "ICY 200 OK\r\n\r\n");
        bad("two-digit status", "HTTP/1.1 20 OK\r\n\r\n");
        bad("no colon", "HTTP/1.1 200 OK\r\nContent-Length 3\r\n\r\n");
    }
    void heads()
    {
        QFETCH(QByteArray, bytes);
        HttpResponseHead head;
        qsizetype headLength = 0;
        QTEST(HttpResponseHead::parse(bytes, &head, &headLength), "result");
        QFETCH(QList<qint64>, fields);
        if (!fields.isEmpty())
            QCOMPARE((QList<qint64>{head.status, head.contentLength, head.keepAlive,
                                    head.transferCoded, headLength}),
                     fields);
    }

    void connectionsAreKeptUnlessTheyCannotBe_data()
    {
        QTest::addColumn<QByteArray>("firstAnswer");
        QTest::addColumn<int>("connections");
        QTest::newRow("kept") << answer("abc") << 1;
        QTest::newRow("the PC says close") << answer("abc", "Connection: close\r\n") << 2;
        QTest::newRow("HTTP/1.0") << "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc"_ba << 2;
        QTest::newRow("bytes after the body") << (answer("abc") + "junk") << 2;
    }
    void connectionsAreKeptUnlessTheyCannotBe()
    {
        QFETCH(QByteArray, firstAnswer);
        ScriptedPeer peer;
        peer.script({{firstAnswer}, {answer("next")}});
        HttpConnectionPool pool;
        QVERIFY(fetch(&pool, peer.url(u"/pc/C:/a%20b.bin?UA=x%3By"_s), "ua;1", u"one"_s));
        QCOMPARE(content(path(u"one"_s)), QByteArray("abc"));
        QVERIFY(fetch(&pool, peer.url(u"/2"_s), {}, u"two"_s));
        QCOMPARE(content(path(u"two"_s)), QByteArray("next"));
        QTEST(peer.connections.load(), "connections");
        const QList<QByteArray> requests = peer.requests();
        QCOMPARE(requests.size(), 2);
        QVERIFY(requests[0].startsWith("GET /pc/C:/a%20b.bin?UA=x%3By HTTP/1.1\r\n"));
        QVERIFY(requests[0].contains("\r\nHost: 127.0.0.1:"));
        QVERIFY(requests[0].contains("\r\nUA: ua;1\r\n"));
        QVERIFY(!requests[1].contains("\r\nUA:"));
    }

    void aKeptConnectionThePcClosedIsAskedAgain()
    {
        // The PC drops the kept connection before the next request goes out, and the closing has
        // not been seen yet: the request is sent again on a new connection.
        ScriptedPeer peer;
        peer.script({{answer("first"), Reply::Close}, {answer("second")}});
        HttpConnectionPool pool;
        HttpFileFetch first(&pool, peer.url(u"/1"_s), {}, path(u"one"_s));
        HttpFileFetch second(&pool, peer.url(u"/2"_s), {}, path(u"two"_s));
        connect(&first, &HttpFileFetch::ended, this, [&] {
            // No event is handled between the end of the first and the start of the second.
            for (int i = 0; i < 200 && peer.closed.load() == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            second.start();
        });
        QSignalSpy ended(&second, &HttpFileFetch::ended);
        first.start();
        QVERIFY(ended.wait(5000));
        QCOMPARE(ended.first().at(0).toBool(), true);
        QCOMPARE(content(path(u"two"_s)), QByteArray("second"));
        QCOMPARE(peer.connections.load(), 2);
    }

    // How a fetch ends: whether it succeeds, whether the file was begun (and the length
    // announced), and the count handed back, which is what the file holds. A file left by an
    // earlier run is replaced.
    void outcomes_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<qint64>("room");
        QTest::addColumn<QByteArray>("digest");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("fileCreated");
        QTest::addColumn<QString>("url"); // the peer's when empty
        const auto row = [](const char *name, const Reply &reply, bool ok, bool fileCreated,
                            qint64 room = 0, const QByteArray &digest = {},
                            const QString &url = {}) {
            QTest::newRow(name) << reply << room << digest << ok << fileCreated << url;
        };
        // The head is cut in the middle of a line and the body arrives slowly, over several
        // windows of the rate bound but above it.
        QByteArray slow(200000, Qt::Uninitialized);
        for (qsizetype i = 0; i < slow.size(); ++i)
            slow[i] = char(i * 7 % 251);
        row("in pieces, slowly", {answer(slow), Reply::Keep, 12, 70}, true, true);
        row("no length", {"HTTP/1.1 200 OK\r\n\r\nwhole file?", Reply::Close}, false, false);
        row("chunked",
            {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n"}, false,
            false);
        row("error page", {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"}, false,
            false);
        row("not HTTP", {QByteArray(100, '\x7f') + "\r\n\r\n"}, false, false);
        row("closed without a word", {QByteArray(), Reply::Close}, false, false);
        // Silences and trickles, at a rate bound of 1000 bytes in 400 ms.
        row("never answers", {{}, Reply::Hang}, false, false);
        row("stops in the body", {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Reply::Hang},
            false, true);
        // Refused before anything is written, in a room of 1000 bytes. (Cut-off answers, trickles,
        // absurd lengths and a wrong digest are the download center's test.)
        row("exactly the room", {answer(QByteArray(1000, 'x')), Reply::Hang}, false, false, 1000);
        row("a byte less", {answer(QByteArray(999, 'x')), Reply::Hang}, true, true, 1000);
        // Over several blocks and pieces, so the digest is built as the bytes arrive.
        QByteArray body(1300000, Qt::Uninitialized);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char((i * 13 + i / 4099) % 253);
        const QByteArray md5 = QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex();
        QByteArray changed = body;
        changed[700000] = char(changed[700000] ^ 1);
        row("its digest in capitals", {answer(body), Reply::Keep, 5, 20}, true, true, 0,
            md5.toUpper());
        row("one bit changed on the way", {answer(changed), Reply::Keep, 5, 20}, false, true, 0,
            md5);
        row("empty file", {answer({})}, true, true, 0, "d41d8cd98f00b204e9800998ecf8427e");
        // Nobody listening, and addresses that are not plain HTTP.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = u"http://127.0.0.1:%1/x"_s.arg(closed.serverPort());
        closed.close();
        row("connection refused", {}, false, false, 0, {}, refused);
        row("https", {}, false, false, 0, {}, u"https://127.0.0.1/x"_s);
        row("a local file", {}, false, false, 0, {}, u"file:///etc/passwd"_s);
    }
    void outcomes()
    {
        QFETCH(Reply, reply);
        QFETCH(bool, ok);
        QFETCH(bool, fileCreated);
        QFile stale(path(u"f"_s));
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("left by an earlier run") > 0);
        stale.close();
        if (!ok)
            QVERIFY(stale.remove());
        ScriptedPeer peer;
        peer.script({reply});
        HttpConnectionPool pool;
        QFETCH(QString, url);
        HttpFileFetch f(&pool, url.isEmpty() ? peer.url(u"/f"_s) : QUrl(url), {}, path(u"f"_s));
        f.setMinimumRate(1000, 400);
        QFETCH(qint64, room);
        if (room)
            f.setRoom(room);
        QFETCH(QByteArray, digest);
        if (!digest.isEmpty())
            f.setExpectedMd5(digest);
        QSignalSpy answered(&f, &HttpFileFetch::answered);
        QSignalSpy written(&f, &HttpFileFetch::written);
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000); // at once for some
        QCOMPARE(ended.first().at(0).toBool(), ok);
        QCOMPARE(ended.first().at(2).toString().isEmpty(), ok);
        QCOMPARE(answered.size(), fileCreated ? 1 : 0);
        QCOMPARE(QFile::exists(path(u"f"_s)), fileCreated);
        const qint64 size = QFileInfo(path(u"f"_s)).size();
        QCOMPARE(ended.first().at(1).toLongLong(), size);
        // Progress on the way, a report for about every few pieces, each further than the last.
        qint64 last = 0;
        for (const auto &args : std::as_const(written)) {
            QVERIFY(args.at(0).toLongLong() > last);
            last = args.at(0).toLongLong();
        }
        QVERIFY(last <= size);
        if (ok) {
            QVERIFY(reply.bytes.endsWith(content(path(u"f"_s))));
            QCOMPARE(answered.first().at(0).toLongLong(), size);
            QVERIFY(written.size() >= reply.pieces / 4);
        } else {
            QCOMPARE(pool.idleCount(), 0);
        }
    }

    void abortedFetchEndsSilently()
    {
        ScriptedPeer peer;
        peer.script({{QByteArray(), Reply::Hang}});
        HttpConnectionPool pool;
        HttpFileFetch f(&pool, peer.url(u"/aborted"_s), {}, path(u"u"_s));
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QTRY_COMPARE(peer.requests().size(), 1);
        f.abort();
        QVERIFY(!ended.wait(300));
        QCOMPARE(pool.idleCount(), 0);
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    bool fetch(HttpConnectionPool *pool, const QUrl &url, const QByteArray &ua, const QString &name)
    {
        HttpFileFetch f(pool, url, ua, path(name));
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        return ended.wait(5000) && ended.first().at(0).toBool();
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestHttpFetch)
#include "tst_httpfetch.moc"
