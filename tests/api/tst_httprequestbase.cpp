// One HTTP exchange against a scripted server on loopback: the answer is decoded whatever
// status the server gives it, and an exchange without an answer ends with nothing.
#include "HttpAnswer.h"
#include "HttpRequestBase.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "Utils.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Answers every request with @c status and @c body, then closes: the body cut off after @c cutAt
// bytes when that is set, or followed by filler of valid Base64 up to @c bodySize bytes, streamed
// as fast as the client takes it (a client that closes first stops it).
class ScriptedServer : public QTcpServer
{
public:
    QByteArray status = "200 OK";
    QByteArray body;
    qsizetype cutAt = -1;
    bool announceLength = true;
    qint64 bodySize = -1; // the body's own size when not set
    qint64 streamed = 0;

    ScriptedServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request =
                        socket->property("request").toByteArray() + socket->readAll();
                    socket->setProperty("request", request);
                    if (!request.contains("\r\n\r\n"))
                        return;
                    socket->disconnect(this);
                    answer(socket);
                });
            }
        });
    }

    [[nodiscard]] QString url(const QString &route = u"cgi/pc_volum.mo"_s) const
    {
        return u"http://127.0.0.1:%1/"_s.arg(serverPort()) + route;
    }

private:
    void answer(QTcpSocket *socket)
    {
        const qint64 size = bodySize < 0 ? body.size() : bodySize;
        QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\n";
        if (announceLength)
            head += "Content-Length: " + QByteArray::number(size) + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n" + (cutAt >= 0 ? body.left(cutAt) : body));
        if (cutAt >= 0) {
            socket->disconnectFromHost();
            return;
        }
        streamed = body.size();
        const QByteArray chunk(64 * 1024, 'A');
        auto more = [this, socket, chunk, size] {
            while (socket->bytesToWrite() < 4 * chunk.size() && streamed < size) {
                const QByteArray part = chunk.left(size - streamed);
                socket->write(part);
                streamed += part.size();
            }
            if (streamed >= size && !socket->bytesToWrite())
                socket->disconnectFromHost();
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }
};

QByteArray pcBody(const QByteArray &json)
{
    return Utils::negated(json).toBase64();
}
} // namespace

class TestHttpRequestBase : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestCore> m_t;
    ScriptedServer m_server;
    QNetworkAccessManager m_manager;

    HttpRequestBase::Context context()
    {
        return {&m_manager, m_t->hub(), m_t->core->runtimeState(), {}, {}};
    }

    // The answer the callback receives for one GET (of m_server's default route when @p url is
    // empty); it must be called once.
    QVariant exchange(const QString &tagStr = {}, QString url = {})
    {
        if (url.isEmpty())
            url = m_server.url();
        int count = 0;
        QVariant answer;
        bool done = false;
        auto *request = new HttpRequestBase(
            context(),
            [&](HttpRequestBase *, const QVariant &value) {
                ++count;
                answer = value;
                done = true;
            },
            this);
        request->setTagStr(tagStr);
        request->setHttpRequestGetWithUrl(url);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(done, 10000); }();
        QTest::qWait(20);
        delete request;
        [&] { QCOMPARE(count, 1); }();
        return answer;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen(QHostAddress::LocalHost, 0)); }

    void init()
    {
        m_t = std::make_unique<TestCore>();
        m_t->core->runtimeState()->setStatus(AppStatusAuthorized);
        m_server.status = "200 OK";
        m_server.body.clear();
        m_server.cutAt = -1;
    }

    void cleanup() { m_t.reset(); }

    // Qt reports every status of 400 and above as an error of its own; the PC's body is decoded
    // all the same, and only a refusal drops the login.
    void answersOfEveryStatusAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::newRow("200") << QByteArray("200 OK");
        QTest::newRow("401") << QByteArray("401 Unauthorized");
        QTest::newRow("403") << QByteArray("403 Forbidden");
        QTest::newRow("407") << QByteArray("407 Proxy Authentication Required");
        QTest::newRow("500") << QByteArray("500 Internal Server Error");
    }
    void answersOfEveryStatusAreDecoded()
    {
        QFETCH(QByteArray, status);
        m_server.status = status;
        m_server.body = pcBody(R"({"err":1,"msg":"refused","data":{}})");
        const QVariantMap answer = exchange().toMap();
        QCOMPARE(answer.value(u"err"_s), QVariant(1));
        QCOMPARE(answer.value(u"msg"_s), QVariant(u"refused"_s));
        QCOMPARE(m_t->core->runtimeState()->status(),
                 quint64(status.startsWith("403") ? AppStatusNotLoggedIn : AppStatusAuthorized));
    }

    void outsideServicesAnswerWithAnErrorStatus()
    {
        m_server.status = "400 Bad Request";
        m_server.body = R"({"errno":3})";
        QCOMPARE(exchange(HttpTags::PlainJson).toMap().value(u"errno"_s), QVariant(3));
    }

    // No real answer comes near the cap (a 20,000-entry listing is 5 MB): one that announces
    // more, or sends more, is refused as soon as that is known, and the rest is not read.
    void answersOverTheCapAreRefused_data()
    {
        QTest::addColumn<bool>("announced");
        QTest::newRow("announced length") << true;
        QTest::newRow("bytes received") << false;
    }
    void answersOverTheCapAreRefused()
    {
        QFETCH(bool, announced);
        ScriptedServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        server.announceLength = announced;
        server.bodySize = qint64(256) << 20;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"answer of .*dir_list.mo is over 64 MiB"_s));
        QVERIFY(!exchange({}, server.url(u"cgi/dir_list.mo"_s)).isValid());
        const qint64 cap = HttpRequestBase::MaxAnswerBytes;
        const qint64 read = announced ? 0 : cap;
        QVERIFY2(server.streamed < read + (qint64(16) << 20),
                 qPrintable(QString::number(server.streamed)));
    }

    // A large answer under the cap is read whole, announced or not.
    void largeAnswersUnderTheCapAreRead()
    {
        const QByteArray entries = '"' + QByteArray(6 << 20, 'x') + '"';
        const QByteArray body = pcBody(R"({"err":0,"data":{"files":[)" + entries + "]}}");
        for (const bool announced : {true, false}) {
            ScriptedServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost, 0));
            server.announceLength = announced;
            server.body = body;
            const QVariantMap answer = exchange({}, server.url(u"cgi/dir_list.mo"_s)).toMap();
            const QVariantList files = answer.value(u"data"_s).toMap().value(u"files"_s).toList();
            QCOMPARE(files.size(), 1);
            QCOMPARE(files.first().toString().size(), 6 << 20);
        }
    }

    // A body cut off, or a server that is gone.
    void noAnswerWithoutAWholeBody()
    {
        m_server.body = pcBody(R"({"err":0,"data":{"volum":37}})");
        m_server.cutAt = m_server.body.size() / 2;
        QVERIFY(!exchange().isValid());

        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        QVERIFY(!exchange({}, u"http://127.0.0.1:%1/cgi/pc_volum.mo"_s.arg(port)).isValid());
    }
};

QTEST_GUILESS_MAIN(TestHttpRequestBase)
#include "tst_httprequestbase.moc"
