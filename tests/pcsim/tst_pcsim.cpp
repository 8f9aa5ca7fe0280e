// Drives the built zephyr-pc over real sockets, with the bytes of every exchange written out here
// by hand from the wire tables. The phone's own tests exercise what it checks against this PC;
// these cases cover what the phone never checks, above all that nothing outside the served folder
// can be reached.
#include "PcSim.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray inverted(QByteArray b)
{
    for (char &c : b)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return b;
}

QByteArray be32(quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

} // namespace

class TestPcSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_pc = std::make_unique<PcSim>();
        QVERIFY2(m_pc->start(), qPrintable(m_pc->errorString()));
        // Beside the root, where only a path that leaves it could reach.
        m_outside = m_pc->rootPath() + u"-outside"_s;
        m_outsideName = QFileInfo(m_outside).fileName().toUtf8();
    }

    void cleanup()
    {
        m_pc.reset();
        QFile::remove(m_outside);
    }

    void pathsCannotLeaveTheRoot()
    {
        QVERIFY(writeFile(m_outside, "outside the root"));
        QCOMPARE(cgi("dir_list.mo?name=C:/.."_ba)[u"err"_s].toInt(), 1);
        QCOMPARE(cgi("dir_list.mo?name=C:%5C..%5C.."_ba)[u"err"_s].toInt(), 1);
        QCOMPARE(
            cgi("dir_rename.mo?name=C:/../../" + m_outsideName + "&newname=x")[u"err"_s].toInt(),
            1);
        QVERIFY(QFileInfo::exists(m_outside));
        // Raw request line, so that no client tidies the dots away.
        const QByteArray answer =
            exchange(m_pc->httpPort, "GET /pc/C:/../../" + m_outsideName +
                                         " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QVERIFY2(answer.startsWith("HTTP/1.1 404"), answer.constData());
        QVERIFY(!answer.contains("outside the root"));
    }

    void uploadsCannotLeaveTheRoot()
    {
        // An item for C:/../../(outside): the connection closes, nothing is written.
        const QByteArray path = "C:/../../" + m_outsideName;
        const QByteArray upload = QByteArray(1, '\0') + be32(2) + inverted("{}") + "\x01\x02" +
                                  be32(quint32(path.size())) + inverted(path) + be32(0) + be32(3) +
                                  "abc" + be32(3);
        QCOMPARE(exchange(m_pc->port, upload), QByteArray());
        QVERIFY(!QFileInfo::exists(m_outside));
    }

    void strictModeRefusesForeignTokens()
    {
        QCOMPARE(status(), 200); // lenient by default
        m_pc->control(u"strict"_s, {{u"strict"_s, true}});
        QCOMPARE(status(), 403);
        // Well formed (Base64 of 32 bytes, then a stamp) but not mixed from a token handed out.
        QCOMPARE(status("iPhone;1;2;x;127.0.0.1;8360;ID;" + QByteArray(32, 'a').toBase64() +
                        "1700000000000;"),
                 403);
    }

    void garbageLeavesEveryServiceRunning()
    {
        for (const QByteArray &bytes :
             {"\x7fgarbage"_ba, "\x01\xff\xff\xff\xff"_ba, "\x01"_ba + be32(3) + "abc"})
            QCOMPARE(exchange(m_pc->port, bytes), QByteArray());
        QVERIFY(!exchange(m_pc->httpPort, "\x7f\x01\x02 not a request\r\n\r\n").contains(" 200 "));
        QUdpSocket phone;
        QVERIFY(phone.bind(QHostAddress::LocalHost, 0));
        phone.writeDatagram("not zlib", QHostAddress::LocalHost, m_pc->port);
        QTRY_COMPARE(m_pc->state()[u"udp"_s].toArray().size(), 1);
        QVERIFY(m_pc->state()[u"udp"_s][0].toObject().contains(u"error"_s));

        // A login frame still gets its answer, and the web service its pages.
        const QByteArray login = R"({"cm":1010,"ua":"iPhone;12;7.1;x;127.0.0.1;8360;ID;;"})";
        const QByteArray reply =
            exchange(m_pc->port, "\x01" + be32(quint32(login.size())) + inverted(login));
        QCOMPARE(QJsonDocument::fromJson(inverted(reply.mid(4))).object()[u"cm"_s].toInt(), 1010);
        QCOMPARE(cgi("pc_volum.mo"_ba)[u"data"_s][u"volum"_s].toInt(), 50);
    }

private:
    /// Writes @p request to @p port and gathers the answer until the PC closes.
    static QByteArray exchange(quint16 port, const QByteArray &request)
    {
        QTcpSocket s;
        s.connectToHost(u"127.0.0.1"_s, port);
        if (!s.waitForConnected(3000))
            return "no connection";
        s.write(request);
        QByteArray got;
        QDeadlineTimer deadline(5000);
        while (s.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            s.waitForReadyRead(50);
            got += s.readAll();
        }
        return deadline.hasExpired() ? "still open" : got + s.readAll();
    }

    QJsonObject cgi(const QByteArray &path)
    {
        const QByteArray body = get("cgi/" + path).second;
        return QJsonDocument::fromJson(inverted(QByteArray::fromBase64(body))).object();
    }

    int status(const QByteArray &ua = {}) { return get("cgi/pc_volum.mo", ua).first; }

    std::pair<int, QByteArray> get(const QByteArray &path, const QByteArray &ua = {})
    {
        QNetworkRequest req(QUrl(m_pc->api + QString::fromUtf8(path)));
        if (!ua.isEmpty())
            req.setRawHeader("UA", ua);
        QNetworkReply *reply = m_net.get(req);
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(5000))
            return {};
        reply->deleteLater();
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                reply->readAll()};
    }

    std::unique_ptr<PcSim> m_pc;
    QString m_outside;
    QByteArray m_outsideName;
    QNetworkAccessManager m_net;
};

QTEST_GUILESS_MAIN(TestPcSim)
#include "tst_pcsim.moc"
