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
    // Complete heads give status, length, keep-alive, coding and the head's length. Chunked and
    // length-less answers are the fetch outcomes below.
    void heads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<HttpResponseHead::Parse>("result");
        QTest::addColumn<QList<qint64>>("fields");
        using P = HttpResponseHead::Parse;
        const auto row = [](const char *name, const QByteArray &bytes, P result,
                            const QList<qint64> &fields = {}) {
            QTest::newRow(name) << bytes << result << fields;
        };
        row("plain, body follows", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", P::Complete,
            {200, 5, 1, 0, 38});
        row("bare line feeds", "HTTP/1.1 206 Partial\nContent-length:7\n\nx", P::Complete,
            {206, 7, 1, 0, 39});
        row("1.0 closes", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\n", P::Complete,
            {200, 1, 0, 0, 38});
        row("1.1 closing", "HTTP/1.1 200 OK\r\nConnection: foo, close\r\nContent-Length: 1\r\n\r\n",
            P::Complete, {200, 1, 0, 0, 62});
        row("nothing yet", {}, P::Incomplete);
        row("long, still under the cap", "HTTP/1.1 200 OK\r\nX: "_ba + QByteArray(16000, 'a'),
            P::Incomplete);
        row("never ends",
            "HTTP/1.1 200 OK\r\nX: "_ba + QByteArray(HttpResponseHead::kMaxBytes, 'a'), P::Invalid);
        row("two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n",
            P::Invalid);
        row("negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", P::Invalid);
        row("length not a number", "HTTP/1.1 200 OK\r\nContent-Length: 12a\r\n\r\n", P::Invalid);
        row("length too big", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
            P::Invalid);
        row("two-digit status", "HTTP/1.1 20 OK\r\n\r\n", P::Invalid);
        row("no colon", "HTTP/1.1 200 OK\r\nContent-Length 3\r\n\r\n", P::Invalid);
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
        // The body arrives slowly, over several windows of the rate bound but above it, and in
        // several blocks and pieces, so the digest is built as the bytes arrive.
        QByteArray body(1300000, Qt::Uninitialized);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char((i * 13 + i / 4099) % 253);
        const QByteArray md5 = QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex();
        row("in pieces, slowly, its digest in capitals", {answer(body), Reply::Keep, 12, 70}, true,
            true, 0, md5.toUpper());
        row("no length", {"HTTP/1.1 200 OK\r\n\r\nwhole file?", Reply::Close}, false, false);
        row("chunked",
            {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n"}, false,
            false);
        row("error page", {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"}, false,
            false);
        row("not HTTP", {QByteArray(100, '\x7f') + "\r\n\r\n"}, false, false);
        // Silence, at a rate bound of 1000 bytes in 400 ms.
        row("never answers", {{}, Reply::Hang}, false, false);
        // Refused before anything is written, in a room of 1000 bytes. (Closed, cut-off and
        // trickling answers and a wrong digest are the download center's test.)
        row("exactly the room", {answer(QByteArray(1000, 'x')), Reply::Hang}, false, false, 1000);
        row("a byte less", {answer(QByteArray(999, 'x')), Reply::Hang}, true, true, 1000);
        // Nobody listening, and an address that is not HTTP.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = u"http://127.0.0.1:%1/x"_s.arg(closed.serverPort());
        closed.close();
        row("connection refused", {}, false, false, 0, {}, refused);
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
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000); // at once for some
        QCOMPARE(ended.first().at(0).toBool(), ok);
        QCOMPARE(ended.first().at(2).toString().isEmpty(), ok);
        QCOMPARE(answered.size(), fileCreated ? 1 : 0);
        QCOMPARE(QFile::exists(path(u"f"_s)), fileCreated);
        const qint64 size = QFileInfo(path(u"f"_s)).size();
        QCOMPARE(ended.first().at(1).toLongLong(), size);
        if (ok) {
            QVERIFY(reply.bytes.endsWith(content(path(u"f"_s))));
            QCOMPARE(answered.first().at(0).toLongLong(), size);
        } else {
            QCOMPARE(pool.idleCount(), 0);
        }
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestHttpFetch)
#include "tst_httpfetch.moc"
