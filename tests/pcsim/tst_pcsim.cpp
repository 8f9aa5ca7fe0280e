// Drives the built zephyr-pc over real sockets, with the bytes of every exchange written out here
// by hand from the wire tables. The phone's own tests exercise what it checks against this PC;
// these cases cover what the phone never checks, above all that nothing outside the served folder
// can be reached.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <memory>

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

quint32 readBe32(const QByteArray &b, qsizetype at = 0)
{
    const auto *u = reinterpret_cast<const unsigned char *>(b.constData() + at);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | u[3];
}

/// An upload's opening: the identity {}, then one item of `content` at `path`, with its trailer.
QByteArray uploadOf(const QByteArray &path, quint32 time, const QByteArray &content)
{
    return QByteArray(1, '\0') + be32(2) + inverted("{}") + "\x01" + "\x02" +
           be32(quint32(path.size())) + inverted(path) + be32(time) +
           be32(quint32(content.size())) + content + be32(quint32(content.size()));
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

const QString PhoneUa =
    u"iPhone;12;7.1;My+phone;127.0.0.1;%1;0123456789ABCDEF0123456789ABCDEF;%2;"_s;

} // namespace

class TestPcSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        const QString bin = qEnvironmentVariable("ZEPHYR_PC_BIN");
        QVERIFY2(!bin.isEmpty(), "ZEPHYR_PC_BIN is not set: run the test through ctest, or set it "
                                 "to the built zephyr-pc");
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(u"root"_s);
        QDir().mkpath(m_root);
        m_pc.setProcessChannelMode(QProcess::SeparateChannels);
        m_pc.setReadChannel(QProcess::StandardOutput);
        m_pc.start(bin, {u"--root"_s, m_root});
        QVERIFY(m_pc.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_pc.canReadLine() || m_pc.waitForReadyRead(100), 10000);
        QJsonParseError err{};
        m_ready = QJsonDocument::fromJson(m_pc.readLine(), &err).object();
        QCOMPARE(err.error, QJsonParseError::NoError);
        for (const char *key : {"port", "http", "control"})
            QVERIFY(m_ready.value(QLatin1String(key)).toInt() > 0);
        QCOMPARE(m_ready[u"api"_s].toString(),
                 u"http://127.0.0.1:%1/"_s.arg(m_ready[u"http"_s].toInt()));
    }

    void cleanup()
    {
        if (m_pc.state() != QProcess::NotRunning) {
            m_pc.terminate();
            QVERIFY(m_pc.waitForFinished(5000));
            QCOMPARE(m_pc.exitStatus(), QProcess::NormalExit);
            QCOMPARE(m_pc.exitCode(), 0);
        }
        QDir(m_root).removeRecursively();
    }

    void shakeSelectionCarriesTheFileDigest()
    {
        // An empty root is given a system drive and a desktop at start-up.
        QVERIFY(writeFile(m_root + u"/C:/photo.jpg"_s, "jpeg bytes"));
        QVERIFY(control(u"selection"_s, {{u"type"_s, u"file"_s}, {u"path"_s, u"C:/photo.jpg"_s}})
                    .value(u"ok"_s)
                    .toBool());
        const QJsonObject shake = cgi(u"pc_shake.mo"_s).toObject();
        QCOMPARE(shake[u"data"_s][u"type"_s].toString(), u"file"_s);
        QCOMPARE(shake[u"data"_s][u"dt"_s][u"size"_s].toInt(), 10);
        // md5sum of the ten bytes "jpeg bytes".
        QCOMPARE(shake[u"data"_s][u"dt"_s][u"md5"_s].toString(),
                 u"2ccd799f3a5130350478899447b6aa06"_s);
    }

    void pathsCannotLeaveTheRoot()
    {
        const QString secret = m_dir.filePath(u"secret.txt"_s);
        QVERIFY(writeFile(secret, "outside the root"));

        QCOMPARE(cgi(u"dir_list.mo?name=C:/.."_s)[u"err"_s].toInt(), 1);
        QCOMPARE(cgi(u"dir_list.mo?name=C:%5C..%5C.."_s)[u"err"_s].toInt(), 1);
        QCOMPARE(cgi(u"dir_rename.mo?name=C:/../secret.txt&newname=x"_s)[u"err"_s].toInt(), 1);
        QVERIFY(QFileInfo::exists(secret));

        // Raw request line, so that no client tidies the dots away.
        const auto s = connectTo("http");
        QVERIFY(s);
        s->write("GET /pc/C:/../../secret.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QByteArray answer;
        while (s->waitForReadyRead(3000))
            answer += s->readAll();
        QVERIFY2(answer.startsWith("HTTP/1.1 404"), answer.constData());
        QVERIFY(!answer.contains("outside the root"));
    }

    void uploadsCannotLeaveTheRoot()
    {
        // An item for C:/../../pwn.txt: the connection closes, nothing is written.
        const auto evil = connectTo("port");
        QVERIFY(evil);
        evil->write(uploadOf("C:/../../pwn.txt", 0, "abc"));
        QVERIFY(evil->waitForDisconnected(5000));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"pwn.txt"_s)));
        QVERIFY(!QFileInfo::exists(m_root + u"/pwn.txt"_s));
    }

    void uploadLogNamesPathsAsTheyCame()
    {
        // One item whose path holds markers, then the end marker.
        const QByteArray reply =
            tcpExchange(uploadOf("C:/Photos/50%2 off %1.bin", 1700000000, "abc") + "\x04");
        QCOMPARE(reply, be32(3));
        QByteArray log;
        QTRY_VERIFY(
            (log += m_pc.readAllStandardError())
                .contains("upload item done C:/Photos/50%2 off %1.bin received=3 trailer=3"));
        QVERIFY(log.contains("upload item C:/Photos/50%2 off %1.bin size=3 time=1700000000"));
    }

    void strictModeRefusesForeignTokens()
    {
        QCOMPARE(loginFrame(1013)[u"ua"_s].toString().split(u';').value(7).size(), 32);
        int status = 0;
        http(u"cgi/pc_volum.mo"_s, &status);
        QCOMPARE(status, 200); // lenient by default

        control(u"strict"_s, {{u"strict"_s, true}});
        http(u"cgi/pc_volum.mo"_s, &status);
        QCOMPARE(status, 403);
        // Well formed (Base64 of 32 bytes, then a stamp) but not mixed from the token handed out.
        const QByteArray forged =
            "iPhone;1;2;x;127.0.0.1;8360;ID;" + QByteArray(32, 'a').toBase64() + "1700000000000;";
        http(u"cgi/pc_volum.mo"_s, &status, forged);
        QCOMPARE(status, 403);
    }

    void garbageLeavesEveryServiceRunning()
    {
        QCOMPARE(tcpExchange("\x7fgarbage"), QByteArray());
        QCOMPARE(tcpExchange("\x01\xff\xff\xff\xff"), QByteArray());
        QCOMPARE(tcpExchange("\x01" + be32(3) + "abc"), QByteArray());
        const auto web = connectTo("http");
        QVERIFY(web);
        web->write("\x7f\x01\x02 not a request\r\n\r\n");
        web->waitForReadyRead(1000);
        QUdpSocket phone;
        QVERIFY(phone.bind(QHostAddress::LocalHost, 0));
        phone.writeDatagram("not zlib", QHostAddress::LocalHost,
                            quint16(m_ready[u"port"_s].toInt()));
        QTRY_COMPARE(control(u"state"_s, {}, true)[u"udp"_s].toArray().size(), 1);
        QVERIFY(control(u"state"_s, {}, true)[u"udp"_s][0].toObject().contains(u"error"_s));

        QCOMPARE(loginFrame(1010)[u"cm"_s].toInt(), 1010);
        QCOMPARE(cgi(u"pc_volum.mo"_s)[u"data"_s][u"volum"_s].toInt(), 50);
    }

private:
    QByteArray tcpExchange(const QByteArray &request, int timeoutMs = 5000)
    {
        QTcpSocket s;
        s.connectToHost(u"127.0.0.1"_s, quint16(m_ready[u"port"_s].toInt()));
        if (!s.waitForConnected(3000))
            return "no connection";
        s.write(request);
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (s.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            s.waitForReadyRead(50);
            got += s.readAll();
        }
        got += s.readAll();
        return deadline.hasExpired() ? "still open" : got;
    }

    QJsonObject loginFrame(int cm, const QString &token = {})
    {
        const QByteArray json =
            QJsonDocument(QJsonObject{{u"cm"_s, cm}, {u"ua"_s, PhoneUa.arg(8360).arg(token)}})
                .toJson(QJsonDocument::Compact);
        const QByteArray reply = tcpExchange("\x01" + be32(quint32(json.size())) + inverted(json));
        if (reply.size() < 5)
            return {};
        const quint32 len = readBe32(reply);
        if (qsizetype(len) + 4 != reply.size())
            return {{u"bad_length"_s, reply.size()}};
        return QJsonDocument::fromJson(inverted(reply.mid(4))).object();
    }

    QByteArray http(const QString &path, int *status = nullptr, const QByteArray &ua = {})
    {
        QNetworkRequest req(QUrl(m_ready[u"api"_s].toString() + path));
        if (!ua.isEmpty())
            req.setRawHeader("UA", ua);
        QNetworkReply *reply = m_net.get(req);
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(5000))
            return {};
        reply->deleteLater();
        if (status)
            *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return reply->readAll();
    }

    QJsonValue cgi(const QString &path, const QByteArray &ua = {})
    {
        const QByteArray body = http(u"cgi/"_s + path, nullptr, ua);
        const QJsonDocument doc = QJsonDocument::fromJson(inverted(QByteArray::fromBase64(body)));
        return doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array());
    }

    QJsonObject control(const QString &path, const QJsonObject &body = {}, bool get = false)
    {
        QNetworkRequest req(
            QUrl(u"http://127.0.0.1:%1/%2"_s.arg(m_ready[u"control"_s].toInt()).arg(path)));
        req.setHeader(QNetworkRequest::ContentTypeHeader, u"application/json"_s);
        QNetworkReply *reply = get ? m_net.get(req) : m_net.post(req, QJsonDocument(body).toJson());
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(5000))
            return {};
        reply->deleteLater();
        return QJsonDocument::fromJson(reply->readAll()).object();
    }

    /// A connection to one of the ports the PC announced ("port" or "http"); null when refused.
    std::unique_ptr<QTcpSocket> connectTo(const char *service)
    {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(u"127.0.0.1"_s, quint16(m_ready.value(QLatin1String(service)).toInt()));
        return s->waitForConnected(3000) ? std::move(s) : nullptr;
    }

    QTemporaryDir m_dir;
    QString m_root;
    QProcess m_pc;
    QJsonObject m_ready;
    QNetworkAccessManager m_net;
};

QTEST_GUILESS_MAIN(TestPcSim)
#include "tst_pcsim.moc"
