// The HTTP layer: answer decoding and request texts on fixtures written from the wire rules, and
// one exchange against a scripted server on loopback: the answer is decoded whatever status the
// server gives it, and an exchange without an answer ends with nothing.
#include "HttpAnswer.h"
#include "HttpRequestBase.h"
#include "HttpRequestMethod.h"
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
// Answers every request with @c status and @c body, then closes; the body followed by Base64
// filler up to @c bodySize bytes, as fast as the client takes it.
class ScriptedServer : public QTcpServer
{
public:
    QByteArray status = "200 OK";
    QByteArray body;
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
        socket->write(head + "Connection: close\r\n\r\n" + body);
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
        auto *request = new HttpRequestBase(
            context(), [&](HttpRequestBase *, const QVariant &v) { ++count, answer = v; }, this);
        request->setTagStr(tagStr);
        request->setHttpRequestGetWithUrl(url);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(count > 0, 10000); }();
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
    // more, or sends more, is refused as soon as that is known, and the rest is not read; a large
    // answer under the cap is read whole, announced or not.
    void answerSizes_data()
    {
        QTest::addColumn<bool>("announced");
        QTest::addColumn<bool>("over");
        QTest::newRow("over, announced length") << true << true;
        QTest::newRow("over, bytes received") << false << true;
        QTest::newRow("under, announced length") << true << false;
        QTest::newRow("under, bytes received") << false << false;
    }
    void answerSizes()
    {
        QFETCH(bool, announced);
        QFETCH(bool, over);
        ScriptedServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        server.announceLength = announced;
        if (over) {
            server.bodySize = qint64(256) << 20;
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"answer of .*dir_list.mo is over 64 MiB"_s));
            QVERIFY(!exchange({}, server.url(u"cgi/dir_list.mo"_s)).isValid());
            const qint64 read = announced ? 0 : HttpRequestBase::MaxAnswerBytes;
            QVERIFY2(server.streamed < read + (qint64(16) << 20),
                     qPrintable(QString::number(server.streamed)));
            return;
        }
        const QByteArray entries = '"' + QByteArray(6 << 20, 'x') + '"';
        server.body = pcBody(R"({"err":0,"data":{"files":[)" + entries + "]}}");
        const QVariantMap answer = exchange({}, server.url(u"cgi/dir_list.mo"_s)).toMap();
        const QVariantList files = answer.value(u"data"_s).toMap().value(u"files"_s).toList();
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().toString().size(), 6 << 20);
    }

    // A server that is gone; a cut-off body is the "short" row of the coordinator's faults.
    void noAnswerWithoutAServer()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        QVERIFY(!exchange({}, u"http://127.0.0.1:%1/cgi/pc_volum.mo"_s.arg(port)).isValid());
    }

    // PC answers: Base64 of the complemented JSON, rewritten where it is not quite JSON; outside
    // services: plain JSON; images: the bytes. A refusal drops the login only for the PC.
    void decoding()
    {
        const auto value = [](const QByteArray &body, const QString &tag = {}) {
            return HttpAnswer::decode(tag, 200, body).value;
        };
        const QByteArray volume = "hN2ajY3dxc/T3Zuei57dxYTdiZCTipLdxczIgoI="; // {"err":0,...}
        QCOMPARE(value(volume).toMap()[u"data"_s].toMap()[u"volum"_s], QVariant(37));
        // {"t":"a<CR>\nb","u":"it\'s"}: neither is JSON until rewritten.
        QCOMPARE(value("hN2L3cXdnvKjkZ3d092K3cXdlouj2Izdgg=="),
                 QVariant(QVariantMap{{u"t"_s, u"a\nb"_s}, {u"u"_s, u"it's"_s}}));
        QCOMPARE(value("pM7TzaI=").toList().size(), 2); // [1,2] reaches the caller unchanged
        QCOMPARE(value("hN2L3cXdPFbdgg==").toMap()[u"t"_s], QVariant(u"é"_s));
        // Invalid UTF-8, non-JSON, non-Base64, empty bodies and plain JSON give none.
        for (const QByteArray &bad : {"hN2L3cXdAN2C"_ba, "w5eLkpPB"_ba, "%%% not base64 %%%"_ba,
                                      QByteArray(), R"({"err":0})"_ba})
            QVERIFY2(!value(bad).isValid(), bad.constData());
        QCOMPARE(value(R"({"errno":3})", HttpTags::PlainJson).toMap()[u"errno"_s], QVariant(3));
        QVERIFY(!value("<html>", HttpTags::PlainJson).isValid());
        QVERIFY(!value(volume, HttpTags::PlainJson).isValid());
        const QByteArray png("\x89PNG\r\n\x1a\n....", 12);
        QCOMPARE(value(png, HttpTags::Image).toByteArray(), png);
        QVERIFY(!value({}, HttpTags::Image).isValid());
        QVERIFY(!HttpAnswer::decode({}, 200, volume).dropsLogin);
        QVERIFY(HttpAnswer::decode({}, 403, {}).dropsLogin);
        QVERIFY(!HttpAnswer::decode({}, 403, {}).value.isValid());
        QVERIFY(HttpAnswer::decode(u"dir"_s, 403, "pM7TzaI=").value.isValid());
        QVERIFY(!HttpAnswer::decode(HttpTags::PlainJson, 403, {}).dropsLogin);
    }

    void queryEscaping()
    {
        const QString base = u"http://h/cgi/x.mo"_s;
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {{u"name"_s, u"a&b c"_s}}),
                 QByteArray("http://h/cgi/x.mo?name=a%26b%20c"));
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {}), base.toUtf8());
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {{u"a"_s, 1}, {u"b"_s, u"x"_s}}),
                 QByteArray("http://h/cgi/x.mo?a=1&b=x"));
        // Reserved characters pass; what may not stand in a URL is escaped, "#" included.
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"C:/a=b+c?d;e,f@g$h!i'j(k)*~"_s),
                 QByteArray("C:/a=b+c?d;e,f@g$h!i'j(k)*~"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"\"%<>[\\]^`{|}#"_s),
                 QByteArray("%22%25%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%23"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"桌面\t"_s),
                 QByteArray("%E6%A1%8C%E9%9D%A2%09"));
    }

    void formEscaping()
    {
        QCOMPARE(HttpRequestBase::escapeFormComponent(u":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`"_s),
                 QByteArray("%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C"
                            "%3E%25%7B%7D%7C%5C%5E%7E%60"));
        QCOMPARE(HttpRequestBase::escapeFormComponent(u"Az09-._é"_s), QByteArray("Az09-._%C3%A9"));
        QCOMPARE(HttpRequestBase::buildFormBody({{u"files"_s, u"[\"C:/a b\"]"_s}, {u"x"_s, 1}}),
                 QByteArray("files=%5B%22C%3A%2Fa%20b%22%5D&x=1"));
    }

    void pathTexts()
    {
        QCOMPARE(HttpRequestMethod::pathListText({u"C:/a.txt"_s, u"C:/b"_s}),
                 u"[\"C:/a.txt\",\"C:/b\"]"_s);
        QCOMPARE(HttpRequestMethod::moveText({u"C:/a.txt"_s}, u"D:/x"_s),
                 u"{\"files\": [\"C:/a.txt\"], \"dest\" : \"D:/x\"}"_s);
        // Verbatim, no escaping; an empty list is an empty array rather than a lone bracket.
        QCOMPARE(HttpRequestMethod::pathListText({u"C:\\\"q"_s}), u"[\"C:\\\"q\"]"_s);
        QCOMPARE(HttpRequestMethod::pathListText({}), u"[]"_s);
    }
};

QTEST_GUILESS_MAIN(TestHttpRequestBase)
#include "tst_httprequestbase.moc"
