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
    void completeHeads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<bool>("keepAlive");
        QTest::addColumn<bool>("coded");
        QTest::addColumn<int>("headLength");
        const auto row = [](const char *name, const QByteArray &bytes, int status, qint64 length,
                            bool keepAlive, bool coded, int headLength) {
            QTest::newRow(name) << bytes << status << length << keepAlive << coded << headLength;
        };
        row("plain, body follows", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 200, 5,
            true, false, 38);
        row("bare line feeds", "HTTP/1.1 206 Partial\nContent-length:7\n\nx", 206, 7, true, false,
            39);
        row("no reason phrase", "HTTP/1.1 200\r\nContent-Length: 0\r\n\r\n", 200, 0, true, false,
            35);
        row("1.0 closes", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\n", 200, 1, false, false, 38);
        row("1.0 asking to stay",
            "HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 1\r\n\r\n", 200, 1, true,
            false, 62);
        row("1.1 closing", "HTTP/1.1 200 OK\r\nConnection: foo, close\r\nContent-Length: 1\r\n\r\n",
            200, 1, false, false, 62);
        row("no length", "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", 200, -1, true, false, 30);
        row("chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n", 200, -1, true,
            true, 47);
        row("same length twice",
            "HTTP/1.1 200 OK\r\nContent-Length: 3\r\ncontent-length:  3 \r\n\r\n", 200, 3, true,
            false, 59);
        row("error status", "HTTP/1.1 404 Not Found\r\n\r\n", 404, -1, true, false, 26);
    }
    void completeHeads()
    {
        QFETCH(QByteArray, bytes);
        HttpResponseHead head;
        qsizetype headLength = 0;
        QCOMPARE(HttpResponseHead::parse(bytes, &head, &headLength),
                 HttpResponseHead::Parse::Complete);
        QTEST(head.status, "status");
        QTEST(head.contentLength, "length");
        QTEST(head.keepAlive, "keepAlive");
        QTEST(head.transferCoded, "coded");
        QTEST(int(headLength), "headLength");
    }

    void headsThatAreNotWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<HttpResponseHead::Parse>("result");
        const auto incomplete = HttpResponseHead::Parse::Incomplete;
        const auto invalid = HttpResponseHead::Parse::Invalid;
        QTest::newRow("nothing yet") << QByteArray() << incomplete;
        QTest::newRow("cut in a line") << "HTTP/1.1 200 OK\r\nContent-Len"_ba << incomplete;
        QTest::newRow("long, still under the cap")
            << "HTTP/1.1 200 OK\r\nX: "_ba + QByteArray(16000, 'a') << incomplete;
        QTest::newRow("never ends")
            << "HTTP/1.1 200 OK\r\nX: "_ba + QByteArray(HttpResponseHead::kMaxBytes, 'a')
            << invalid;
        const auto bad = [&](const char *name, const QByteArray &bytes) {
            QTest::newRow(name) << bytes << invalid;
        };
        bad("two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n");
        bad("negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n");
        bad("length not a number", "HTTP/1.1 200 OK\r\nContent-Length: 12a\r\n\r\n");
        bad("length too big", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n");
        bad("not HTTP", "ICY 200 OK\r\n\r\n");
        bad("HTTP/2", "HTTP/2 200\r\n\r\n");
        bad("two-digit status", "HTTP/1.1 20 OK\r\n\r\n");
        bad("no colon", "HTTP/1.1 200 OK\r\nContent-Length 3\r\n\r\n");
        bad("space in the name", "HTTP/1.1 200 OK\r\nContent Length: 3\r\n\r\n");
    }
    void headsThatAreNotWhole()
    {
        QFETCH(QByteArray, bytes);
        HttpResponseHead head;
        qsizetype headLength = 0;
        QTEST(HttpResponseHead::parse(bytes, &head, &headLength), "result");
    }

    void keptConnectionsCarryTheNextFile()
    {
        ScriptedPeer peer;
        const QByteArray first(300000, 'a'), second = "second file";
        peer.script({{answer(first)}, {answer(second)}});
        HttpConnectionPool pool;
        QVERIFY(fetch(&pool, peer.url(u"/pc/C:/a%20b.bin?UA=x%3By"_s), "ua;1", u"a"_s));
        QCOMPARE(content(path(u"a"_s)), first);
        QCOMPARE(pool.idleCount(), 1);
        QVERIFY(fetch(&pool, peer.url(u"/pc/C:/b.txt"_s), {}, u"b"_s));
        QCOMPARE(content(path(u"b"_s)), second);
        QCOMPARE(peer.connections.load(), 1);

        const QList<QByteArray> requests = peer.requests();
        QCOMPARE(requests.size(), 2);
        QVERIFY(requests[0].startsWith("GET /pc/C:/a%20b.bin?UA=x%3By HTTP/1.1\r\n"));
        QVERIFY(requests[0].contains("\r\nHost: 127.0.0.1:"));
        QVERIFY(requests[0].contains("\r\nUA: ua;1\r\n"));
        QVERIFY(!requests[1].contains("\r\nUA:"));
    }

    void connectionsThatCannotBeKept_data()
    {
        QTest::addColumn<QByteArray>("firstAnswer");
        QTest::newRow("the PC says close") << answer("abc", "Connection: close\r\n");
        QTest::newRow("HTTP/1.0") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc");
        QTest::newRow("bytes after the body") << (answer("abc") + "junk");
    }
    void connectionsThatCannotBeKept()
    {
        QFETCH(QByteArray, firstAnswer);
        ScriptedPeer peer;
        peer.script({{firstAnswer}, {answer("next")}});
        HttpConnectionPool pool;
        QVERIFY(fetch(&pool, peer.url(u"/1"_s), {}, u"one"_s));
        QCOMPARE(content(path(u"one"_s)), QByteArray("abc"));
        QVERIFY(fetch(&pool, peer.url(u"/2"_s), {}, u"two"_s));
        QCOMPARE(content(path(u"two"_s)), QByteArray("next"));
        QCOMPARE(peer.connections.load(), 2);
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

    void answersThatAreNotTheFile_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<bool>("fileCreated");
        QTest::newRow("cut short")
            << Reply{"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + QByteArray(40000, 'x'),
                     Reply::Close}
            << true;
        QTest::newRow("no length")
            << Reply{"HTTP/1.1 200 OK\r\n\r\nwhole file?", Reply::Close} << false;
        QTest::newRow("chunked")
            << Reply{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n"}
            << false;
        QTest::newRow("error page")
            << Reply{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"} << false;
        QTest::newRow("redirect")
            << Reply{"HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n"} << false;
        QTest::newRow("not HTTP") << Reply{QByteArray(100, '\x7f') + "\r\n\r\n"} << false;
        QTest::newRow("closed without a word") << Reply{QByteArray(), Reply::Close} << false;
    }
    void answersThatAreNotTheFile()
    {
        QFETCH(Reply, reply);
        QFETCH(bool, fileCreated);
        QFile::remove(path(u"f"_s));
        ScriptedPeer peer;
        peer.script({reply});
        HttpConnectionPool pool;
        HttpFileFetch f(&pool, peer.url(u"/f"_s), {}, path(u"f"_s));
        QSignalSpy answered(&f, &HttpFileFetch::answered);
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QVERIFY(ended.wait(5000));
        QCOMPARE(ended.first().at(0).toBool(), false);
        QVERIFY(!ended.first().at(2).toString().isEmpty());
        QCOMPARE(answered.size(), fileCreated ? 1 : 0);
        QCOMPARE(QFile::exists(path(u"f"_s)), fileCreated);
        // The count handed back is what the file holds.
        QCOMPARE(ended.first().at(1).toLongLong(), QFileInfo(path(u"f"_s)).size());
        QCOMPARE(pool.idleCount(), 0);
    }

    void piecesAndProgress()
    {
        // The head is cut in the middle of a line and the body arrives slowly, over several
        // windows of the rate bound but above it: progress is reported on the way, every byte
        // lands in order.
        ScriptedPeer peer;
        QByteArray body(200000, Qt::Uninitialized);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char(i * 7 % 251);
        peer.script({{answer(body), Reply::Keep, 12, 70}});
        HttpConnectionPool pool;
        HttpFileFetch f(&pool, peer.url(u"/slow"_s), {}, path(u"slow"_s));
        f.setMinimumRate(1000, 400);
        QSignalSpy answered(&f, &HttpFileFetch::answered);
        QSignalSpy written(&f, &HttpFileFetch::written);
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QVERIFY(ended.wait(10000));
        QCOMPARE(answered.size(), 1);
        QCOMPARE(answered.first().at(0).toLongLong(), body.size());
        QVERIFY(written.size() >= 3);
        qint64 last = 0;
        for (const auto &args : written) {
            QVERIFY(args.at(0).toLongLong() > last);
            last = args.at(0).toLongLong();
        }
        QCOMPARE(ended.first().at(0).toBool(), true);
        QCOMPARE(ended.first().at(1).toLongLong(), body.size());
        QCOMPARE(content(path(u"slow"_s)), body);
    }

    void emptyFileAndLeftoverPart()
    {
        ScriptedPeer peer;
        peer.script({{answer({})}});
        QFile stale(path(u"empty"_s));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("left by an earlier run");
        stale.close();
        HttpConnectionPool pool;
        QVERIFY(fetch(&pool, peer.url(u"/empty"_s), {}, u"empty"_s));
        QCOMPARE(QFileInfo(path(u"empty"_s)).size(), 0);
    }

    void silencesAndTricklesEndInFailure_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<bool>("fileCreated");
        QTest::newRow("never answers") << Reply{{}, Reply::Hang} << false;
        QTest::newRow("stops in the body")
            << Reply{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Reply::Hang} << true;
        // The head and a few bytes, then a byte now and then, each before the PC would count
        // as silent: never enough in a window.
        const QByteArray trickle = answer(QByteArray(200, 't'));
        QTest::newRow("a byte now and then")
            << Reply{trickle, Reply::Hang, 200, 95, trickle.size() - 197} << true;
    }
    void silencesAndTricklesEndInFailure()
    {
        QFETCH(Reply, reply);
        QFETCH(bool, fileCreated);
        QFile::remove(path(u"s"_s));
        ScriptedPeer peer;
        peer.script({reply});
        HttpConnectionPool pool;
        HttpFileFetch f(&pool, peer.url(u"/silent"_s), {}, path(u"s"_s));
        f.setMinimumRate(64, 400);
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QVERIFY(ended.wait(5000));
        QCOMPARE(ended.first().at(0).toBool(), false);
        QCOMPARE(QFile::exists(path(u"s"_s)), fileCreated);
        QCOMPARE(ended.first().at(1).toLongLong(), QFileInfo(path(u"s"_s)).size());
        QCOMPARE(pool.idleCount(), 0);
    }

    void answersBeyondTheRoomAreRefused_data()
    {
        QTest::addColumn<QByteArray>("said");
        QTest::addColumn<bool>("ok");
        QTest::newRow("far beyond the room")
            << "HTTP/1.1 200 OK\r\nContent-Length: 999999999999999999\r\n\r\n"_ba +
                   QByteArray(1000, 'x')
            << false;
        QTest::newRow("exactly the room") << answer(QByteArray(1000, 'x')) << false;
        QTest::newRow("a byte less") << answer(QByteArray(999, 'x')) << true;
    }
    void answersBeyondTheRoomAreRefused()
    {
        QFETCH(QByteArray, said);
        QFETCH(bool, ok);
        QFile::remove(path(u"room"_s));
        ScriptedPeer peer;
        peer.script({{said, Reply::Hang}});
        HttpConnectionPool pool;
        HttpFileFetch f(&pool, peer.url(u"/room"_s), {}, path(u"room"_s));
        f.setRoom(1000);
        QSignalSpy answered(&f, &HttpFileFetch::answered);
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QVERIFY(ended.wait(5000));
        QCOMPARE(ended.first().at(0).toBool(), ok);
        // Refused before anything is written: no file, no length announced.
        QCOMPARE(answered.size(), ok ? 1 : 0);
        QCOMPARE(QFile::exists(path(u"room"_s)), ok);
    }

    void digestsAreCheckedOnTheWay_data()
    {
        // Over several blocks and pieces, so the digest is built as the bytes arrive.
        QByteArray body(1300000, Qt::Uninitialized);
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char((i * 13 + i / 4099) % 253);
        const QByteArray md5 = QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex();
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("digest");
        QTest::addColumn<bool>("ok");
        QTest::newRow("its digest") << body << md5 << true;
        QTest::newRow("its digest in capitals") << body << md5.toUpper() << true;
        QByteArray other = md5;
        other[31] = other[31] == '0' ? '1' : '0';
        QTest::newRow("another digest") << body << other << false;
        QByteArray changed = body;
        changed[700000] = char(changed[700000] ^ 1);
        QTest::newRow("one bit changed on the way") << changed << md5 << false;
        QTest::newRow("empty file")
            << QByteArray() << "d41d8cd98f00b204e9800998ecf8427e"_ba << true;
    }
    void digestsAreCheckedOnTheWay()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, digest);
        QFETCH(bool, ok);
        ScriptedPeer peer;
        peer.script({{answer(body), Reply::Keep, 5, 20}});
        HttpConnectionPool pool;
        HttpFileFetch f(&pool, peer.url(u"/digest"_s), {}, path(u"digest"_s));
        f.setExpectedMd5(digest);
        QSignalSpy ended(&f, &HttpFileFetch::ended);
        f.start();
        QVERIFY(ended.wait(5000));
        QCOMPARE(ended.first().at(0).toBool(), ok);
        QCOMPARE(ended.first().at(2).toString().isEmpty(), ok);
        QCOMPARE(ended.first().at(1).toLongLong(), body.size());
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

    void refusedConnectionAndForeignAddresses()
    {
        HttpConnectionPool pool;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        for (const QUrl &url : {QUrl(u"http://127.0.0.1:%1/x"_s.arg(port)),
                                QUrl(u"https://127.0.0.1/x"_s), QUrl(u"file:///etc/passwd"_s)}) {
            HttpFileFetch f(&pool, url, {}, path(u"r"_s));
            QSignalSpy ended(&f, &HttpFileFetch::ended);
            f.start();
            QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
            QCOMPARE(ended.first().at(0).toBool(), false);
            QVERIFY(!QFile::exists(path(u"r"_s)));
        }
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
