// Drives the built zephyr-pc over real sockets, with the bytes of every exchange written out
// here by hand from the wire tables (no code shared with the program).
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkDatagram>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <zlib.h>

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

const QString PhoneUa =
    u"iPhone;12;7.1;My+phone;127.0.0.1;%1;0123456789ABCDEF0123456789ABCDEF;%2;"_s;

} // namespace

class TestPcSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void loginAndAuthorisation();
    void endpointAnswerIsEncodedAndTracksState();
    void pathsCannotLeaveTheRoot();
    void uploadWritesItemsAndRepliesWithSizes();
    void downloadAnnouncesLengthAndKeepsConnection();
    void strictModeChecksTheRequestToken();
    void datagramsBothWays();
    void faultsAndGarbage();

private:
    QByteArray tcpExchange(const QByteArray &request, int timeoutMs = 5000);
    QJsonObject loginFrame(int cm, const QString &token = {});
    QByteArray http(const QString &path, int *status = nullptr, const QByteArray &ua = {});
    QJsonValue cgi(const QString &path, const QByteArray &ua = {});
    QJsonObject control(const QString &path, const QJsonObject &body = {}, bool get = false);

    QTemporaryDir m_dir;
    QString m_root;
    QProcess m_pc;
    QJsonObject m_ready;
    QNetworkAccessManager m_net;
};

void TestPcSim::init()
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

void TestPcSim::cleanup()
{
    if (m_pc.state() != QProcess::NotRunning) {
        m_pc.terminate();
        QVERIFY(m_pc.waitForFinished(5000));
        QCOMPARE(m_pc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_pc.exitCode(), 0);
    }
    QDir(m_root).removeRecursively();
}

QByteArray TestPcSim::tcpExchange(const QByteArray &request, int timeoutMs)
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

QJsonObject TestPcSim::loginFrame(int cm, const QString &token)
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

QByteArray TestPcSim::http(const QString &path, int *status, const QByteArray &ua)
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

QJsonValue TestPcSim::cgi(const QString &path, const QByteArray &ua)
{
    const QByteArray body = http(u"cgi/"_s + path, nullptr, ua);
    const QJsonDocument doc = QJsonDocument::fromJson(inverted(QByteArray::fromBase64(body)));
    return doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array());
}

QJsonObject TestPcSim::control(const QString &path, const QJsonObject &body, bool get)
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

void TestPcSim::loginAndAuthorisation()
{
    // An empty root gets a system drive and a desktop.
    QVERIFY(QFileInfo(m_root + u"/C:"_s).isDir());
    QVERIFY(QFileInfo(m_root + u"/Desktop"_s).isDir());

    const QJsonObject login = loginFrame(1010);
    QCOMPARE(login[u"cm"_s].toInt(), 1010);
    const QJsonObject dt = login[u"dt"_s].toObject();
    QCOMPARE(dt[u"api"_s].toString(), m_ready[u"api"_s].toString());
    QCOMPARE(dt[u"tcp_port"_s].toInt(), m_ready[u"port"_s].toInt());
    QCOMPARE(dt[u"enable"_s].toInt(), 1);
    QVERIFY(dt[u"type"_s].toInt() & 0x3);
    QCOMPARE(dt[u"wifi"_s][u"client"_s].toInt(), 2);

    const QJsonObject auth = loginFrame(1013);
    QCOMPARE(auth[u"cm"_s].toInt(), 1013);
    QCOMPARE(auth[u"dt"_s][u"ret"_s].toInt(), 1);
    const QStringList pcUa = auth[u"ua"_s].toString().split(u';');
    QCOMPARE(pcUa.size(), 9); // eight fields, each closed by ";"
    QVERIFY(!pcUa[6].isEmpty());
    QVERIFY(QRegularExpression(u"^[0-9a-f]{32}$"_s).match(pcUa[7]).hasMatch());
    QVERIFY(loginFrame(1013)[u"ua"_s].toString().split(u';')[7] != pcUa[7]); // fresh each time

    QCOMPARE(
        control(u"verdict"_s, {{u"login"_s, u"blacklisted"_s}, {u"auth"_s, u"refuse"_s}})[u"ok"_s]
            .toBool(),
        true);
    QCOMPARE(loginFrame(1010)[u"dt"_s][u"type"_s].toInt(), 4);
    const QJsonObject refused = loginFrame(1013);
    QCOMPARE(refused[u"dt"_s][u"ret"_s].toInt(), 0);
    QCOMPARE(refused[u"ua"_s].toString().split(u';')[7], QString());

    control(u"verdict"_s, {{u"login"_s, u"raw"_s}, {u"type"_s, 2}, {u"enable"_s, QJsonValue()}});
    const QJsonObject raw = loginFrame(1010)[u"dt"_s].toObject();
    QCOMPARE(raw[u"type"_s].toInt(), 2);
    QVERIFY(!raw.contains(u"enable"_s));

    const QJsonObject state = control(u"state"_s, {}, true);
    QCOMPARE(state[u"requests"_s][u"login"_s].toInt(), 3);
    QCOMPARE(state[u"requests"_s][u"auth"_s].toInt(), 3);
    QCOMPARE(state[u"phone"_s][u"port"_s].toInt(), 8360);
}

void TestPcSim::endpointAnswerIsEncodedAndTracksState()
{
    // The body is Base64 text of the complemented JSON, not JSON itself.
    const QByteArray body = http(u"cgi/pc_volum.mo"_s);
    QVERIFY(!body.isEmpty());
    QVERIFY(QJsonDocument::fromJson(body).isNull());
    QCOMPARE(cgi(u"pc_volum.mo"_s)[u"data"_s][u"volum"_s].toInt(), 50);
    QCOMPARE(control(u"volume"_s, {{u"volume"_s, 37}})[u"ok"_s].toBool(), true);
    QCOMPARE(cgi(u"pc_volum.mo"_s)[u"data"_s][u"volum"_s].toInt(), 37);

    const QJsonArray drives = cgi(u"dir_list.mo?name=/"_s)[u"data"_s][u"files"_s].toArray();
    QCOMPARE(drives.size(), 2);
    QCOMPARE(drives[0][u"name"_s].toString(), u"C:"_s);
    QCOMPARE(drives[0][u"type"_s].toInt(), 2);
    QCOMPARE(drives[1][u"type"_s].toInt(), 1);

    QFile pic(m_root + u"/C:/photo.jpg"_s);
    QVERIFY(pic.open(QIODevice::WriteOnly));
    pic.write("jpeg bytes");
    pic.close();
    const QJsonArray files = cgi(u"dir_list.mo?name=C:/"_s)[u"data"_s][u"files"_s].toArray();
    QCOMPARE(files.size(), 1);
    QCOMPARE(files[0][u"path"_s].toString(), u"C:/photo.jpg"_s);
    QCOMPARE(files[0][u"size"_s].toInt(), 10);
    QCOMPARE(files[0][u"thumb"_s].toString(), u"C:/photo.jpg"_s);

    QCOMPARE(
        control(u"selection"_s, {{u"type"_s, u"file"_s}, {u"path"_s, u"C:/photo.jpg"_s}})[u"ok"_s]
            .toBool(),
        true);
    const QJsonObject shake = cgi(u"pc_shake.mo"_s).toObject();
    QCOMPARE(shake[u"data"_s][u"type"_s].toString(), u"file"_s);
    QCOMPARE(shake[u"data"_s][u"dt"_s][u"size"_s].toInt(), 10);
    QCOMPARE(shake[u"data"_s][u"dt"_s][u"md5"_s].toString(),
             QString::fromLatin1(
                 QCryptographicHash::hash("jpeg bytes", QCryptographicHash::Md5).toHex()));

    // Delete moves into the recycle folder; the list text is a hand-made JSON-like array.
    const QByteArray form = "files=" + QUrl::toPercentEncoding(u"[\"C:/photo.jpg\"]"_s);
    QNetworkRequest req(QUrl(m_ready[u"api"_s].toString() + u"cgi/dir_delete.mo"_s));
    req.setHeader(QNetworkRequest::ContentTypeHeader, u"application/x-www-form-urlencoded"_s);
    QNetworkReply *reply = m_net.post(req, form);
    QSignalSpy done(reply, &QNetworkReply::finished);
    QVERIFY(done.wait(5000));
    reply->deleteLater();
    QCOMPARE(QJsonDocument::fromJson(inverted(QByteArray::fromBase64(reply->readAll())))[u"err"_s]
                 .toInt(),
             0);
    QVERIFY(!QFileInfo::exists(pic.fileName()));
    QCOMPARE(QDir(m_root + u"/.recycle"_s).entryList(QDir::Files).size(), 1);
    QCOMPARE(cgi(u"dir_list.mo?name=C:/"_s)[u"data"_s][u"files"_s].toArray().size(), 0);
}

void TestPcSim::pathsCannotLeaveTheRoot()
{
    QFile secret(m_dir.filePath(u"secret.txt"_s));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("outside the root");
    secret.close();

    QCOMPARE(cgi(u"dir_list.mo?name=C:/.."_s)[u"err"_s].toInt(), 1);
    QCOMPARE(cgi(u"dir_list.mo?name=C:%5C..%5C.."_s)[u"err"_s].toInt(), 1);
    QCOMPARE(cgi(u"dir_rename.mo?name=C:/../secret.txt&newname=x"_s)[u"err"_s].toInt(), 1);
    QVERIFY(QFileInfo::exists(secret.fileName()));

    // Raw request line, so that no client tidies the dots away.
    QTcpSocket s;
    s.connectToHost(u"127.0.0.1"_s, quint16(m_ready[u"http"_s].toInt()));
    QVERIFY(s.waitForConnected(3000));
    s.write("GET /pc/C:/../../secret.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (s.waitForReadyRead(3000))
        answer += s.readAll();
    QVERIFY2(answer.startsWith("HTTP/1.1 404"), answer.constData());
    QVERIFY(!answer.contains("outside the root"));
}

void TestPcSim::uploadWritesItemsAndRepliesWithSizes()
{
    QTcpSocket s;
    s.connectToHost(u"127.0.0.1"_s, quint16(m_ready[u"port"_s].toInt()));
    QVERIFY(s.waitForConnected(3000));
    const QByteArray identity =
        QJsonDocument(QJsonObject{{u"ua"_s, PhoneUa.arg(8360).arg(QString())}})
            .toJson(QJsonDocument::Compact);
    s.write(QByteArray(1, '\0') + be32(quint32(identity.size())) + inverted(identity) + "\x01");

    auto sendItem = [&s](const QByteArray &path, const QByteArray &data) {
        s.write("\x02" + be32(quint32(path.size())) + inverted(path) + be32(1700000000) +
                be32(quint32(data.size())));
        for (qsizetype at = 0; at < data.size(); at += 8192)
            s.write(data.mid(at, 8192));
        s.write(be32(quint32(data.size())));
    };
    auto readReply = [&s]() -> qint64 {
        while (s.bytesAvailable() < 4)
            if (!s.waitForReadyRead(5000))
                return -1;
        return readBe32(s.read(4));
    };
    QByteArray photo(20000, '\0');
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char(i * 7);
    sendItem(u"C:/Photos/一张 照片.jpg"_s.toUtf8(), photo);
    QCOMPARE(readReply(), 20000);
    sendItem("C:/Photos/empty.mov", {});
    QCOMPARE(readReply(), 0);
    s.write("\x04");
    QVERIFY(s.waitForDisconnected(5000));

    QFile written(m_root + u"/C:/Photos/一张 照片.jpg"_s);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), photo);
    QCOMPARE(QFileInfo(written).lastModified().toSecsSinceEpoch(), 1700000000);
    const QJsonArray uploads = control(u"state"_s, {}, true)[u"uploads"_s].toArray();
    QCOMPARE(uploads.size(), 2);
    QCOMPARE(uploads[0][u"path"_s].toString(), u"C:/Photos/一张 照片.jpg"_s);
    QCOMPARE(uploads[0][u"size"_s].toInt(), 20000);

    // Scripted to stay open after the end marker.
    control(u"fault"_s, {{u"target"_s, u"upload_end"_s}, {u"kind"_s, u"hang"_s}});
    QTcpSocket open;
    open.connectToHost(u"127.0.0.1"_s, quint16(m_ready[u"port"_s].toInt()));
    QVERIFY(open.waitForConnected(3000));
    open.write(QByteArray(1, '\0') + be32(2) + inverted("{}") + "\x01" + "\x04");
    QVERIFY(!open.waitForDisconnected(300));

    // A target outside the root closes the connection and writes nothing.
    QTcpSocket evil;
    evil.connectToHost(u"127.0.0.1"_s, quint16(m_ready[u"port"_s].toInt()));
    QVERIFY(evil.waitForConnected(3000));
    evil.write(QByteArray(1, '\0') + be32(2) + inverted("{}") + "\x01" + "\x02" + be32(16) +
               inverted("C:/../../pwn.txt") + be32(0) + be32(3) + "abc" + be32(3));
    QVERIFY(evil.waitForDisconnected(5000));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(u"pwn.txt"_s)));
}

void TestPcSim::downloadAnnouncesLengthAndKeepsConnection()
{
    QFile big(m_root + u"/Desktop/big file.bin"_s);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QByteArray block(1 << 20, 'z');
    for (int i = 0; i < 5; ++i) {
        block[0] = char('a' + i);
        big.write(block);
    }
    big.close();

    QTcpSocket s;
    s.connectToHost(u"127.0.0.1"_s, quint16(m_ready[u"http"_s].toInt()));
    QVERIFY(s.waitForConnected(3000));
    for (const char *prefix : {"pc", "csm"}) {
        s.write("GET /" + QByteArray(prefix) +
                "/Desktop/big%20file.bin?UA=iPhone;1;2;x;;"
                " HTTP/1.1\r\nHost: x\r\n\r\n");
        QByteArray head;
        while (!head.contains("\r\n\r\n") && s.waitForReadyRead(3000))
            head += s.readAll();
        const qsizetype end = head.indexOf("\r\n\r\n") + 4;
        QVERIFY2(head.startsWith("HTTP/1.1 200"), head.left(100).constData());
        QVERIFY(head.left(end).contains("Content-Length: 5242880\r\n"));
        QByteArray body = head.mid(end);
        while (body.size() < 5242880 && s.waitForReadyRead(3000))
            body += s.readAll();
        QCOMPARE(body.size(), 5242880);
        QCOMPARE(body[4 << 20], 'e');
    }
    QCOMPARE(s.state(), QAbstractSocket::ConnectedState);
}

void TestPcSim::strictModeChecksTheRequestToken()
{
    const QString token = loginFrame(1013)[u"ua"_s].toString().split(u';')[7];
    QCOMPARE(token.size(), 32);
    int status = 0;
    http(u"cgi/pc_volum.mo"_s, &status);
    QCOMPARE(status, 200); // lenient by default

    control(u"strict"_s, {{u"strict"_s, true}});
    http(u"cgi/pc_volum.mo"_s, &status);
    QCOMPARE(status, 403);

    const QByteArray stamp = QByteArray::number(QDateTime::currentSecsSinceEpoch()) + "000";
    const QByteArray digest = QCryptographicHash::hash(stamp, QCryptographicHash::Md5).toHex();
    QByteArray mixed = token.toLatin1();
    for (int i = 0; i < 32; ++i)
        mixed[i] = char(mixed[i] ^ digest[i]);
    const QByteArray good = "iPhone;1;2;x;127.0.0.1;8360;ID;" + mixed.toBase64() + stamp + ";";
    http(u"cgi/pc_volum.mo"_s, &status, good);
    QCOMPARE(status, 200);
    QByteArray forged = good;
    forged[40] = forged[40] == 'A' ? 'B' : 'A';
    http(u"cgi/pc_volum.mo"_s, &status, forged);
    QCOMPARE(status, 403);
}

void TestPcSim::datagramsBothWays()
{
    QUdpSocket phone;
    QVERIFY(phone.bind(QHostAddress::LocalHost, 0));
    const auto encode = [](const QByteArray &json) {
        const QByteArray text = inverted(json);
        uLongf len = compressBound(uLong(text.size()));
        QByteArray out(qsizetype(len), '\0');
        compress(reinterpret_cast<Bytef *>(out.data()), &len,
                 reinterpret_cast<const Bytef *>(text.constData()), uLong(text.size()));
        out.truncate(qsizetype(len));
        return out;
    };
    const quint16 pcPort = quint16(m_ready[u"port"_s].toInt());
    phone.writeDatagram("not zlib", QHostAddress::LocalHost, pcPort);
    phone.writeDatagram(encode(R"({"cm":2012,"ua":"","dt":{"volum":64}})"), QHostAddress::LocalHost,
                        pcPort);
    QTRY_COMPARE(control(u"state"_s, {}, true)[u"volume"_s].toInt(), 64);
    const QJsonArray udp = control(u"state"_s, {}, true)[u"udp"_s].toArray();
    QCOMPARE(udp.size(), 2);
    QVERIFY(udp[0].toObject().contains(u"error"_s));
    QCOMPARE(udp[1][u"msg"_s][u"cm"_s].toInt(), 2012);

    // The push goes back to where the last datagram came from.
    const QJsonObject pushed = control(u"push/text"_s, {{u"text"_s, u"你好"_s}});
    QCOMPARE(pushed[u"to"_s].toString(), u"127.0.0.1:%1"_s.arg(phone.localPort()));
    QTRY_VERIFY(phone.hasPendingDatagrams());
    const QByteArray datagram = phone.receiveDatagram().data();
    QByteArray text(4096, '\0');
    uLongf len = uLongf(text.size());
    QCOMPARE(uncompress(reinterpret_cast<Bytef *>(text.data()), &len,
                        reinterpret_cast<const Bytef *>(datagram.constData()),
                        uLong(datagram.size())),
             Z_OK);
    const QJsonObject msg = QJsonDocument::fromJson(inverted(text.left(qsizetype(len)))).object();
    QCOMPARE(msg[u"cm"_s].toInt(), 1016);
    QCOMPARE(msg[u"dt"_s][u"text"_s].toString(), u"你好"_s);
    QCOMPARE(msg[u"ua"_s].toString().split(u';').value(6),
             control(u"state"_s, {}, true)[u"machine_id"_s].toString());
}

void TestPcSim::faultsAndGarbage()
{
    // Garbage on every port leaves the program serving.
    QCOMPARE(tcpExchange("\x7fgarbage"), QByteArray());
    QCOMPARE(tcpExchange("\x01\xff\xff\xff\xff"), QByteArray());
    QCOMPARE(tcpExchange("\x01" + be32(3) + "abc"), QByteArray());

    QCOMPARE(
        control(u"fault"_s, {{u"target"_s, u"login"_s}, {u"kind"_s, u"short"_s}})[u"ok"_s].toBool(),
        true);
    QVERIFY(loginFrame(1010).contains(u"bad_length"_s));
    QCOMPARE(loginFrame(1010)[u"cm"_s].toInt(), 1010); // count 1: consumed

    control(u"fault"_s,
            {{u"target"_s, u"cgi/pc_volum.mo"_s}, {u"kind"_s, u"wrongkind"_s}, {u"count"_s, 2}});
    QVERIFY(cgi(u"pc_volum.mo"_s).isArray());
    QVERIFY(cgi(u"pc_volum.mo"_s).isArray());
    QVERIFY(cgi(u"pc_volum.mo"_s).isObject());

    control(u"fault"_s, {{u"target"_s, u"cgi/pc_volum.mo"_s}, {u"kind"_s, u"noerr"_s}});
    const QJsonObject withoutErr = cgi(u"pc_volum.mo"_s).toObject();
    QVERIFY(!withoutErr.contains(u"err"_s));
    QCOMPARE(withoutErr[u"data"_s][u"volum"_s].toInt(), 50);
    QVERIFY(cgi(u"pc_volum.mo"_s).toObject().contains(u"err"_s));

    control(u"fault"_s, {{u"target"_s, u"http"_s}, {u"kind"_s, u"403"_s}});
    int status = 0;
    http(u"cgi/wifi_info.mo"_s, &status);
    QCOMPARE(status, 403);

    control(u"fault"_s, {{u"target"_s, u"auth"_s}, {u"kind"_s, u"hang"_s}});
    const QByteArray auth = R"({"cm":1013,"ua":""})";
    QCOMPARE(tcpExchange("\x01" + be32(quint32(auth.size())) + inverted(auth), 500),
             QByteArray("still open"));
    QCOMPARE(tcpExchange("\x01" + be32(quint32(auth.size())) + inverted(auth).left(5), 300),
             QByteArray("still open")); // an incomplete frame waits for the rest
    QCOMPARE(
        control(u"fault"_s, {{u"target"_s, u"*"_s}, {u"kind"_s, u"clear"_s}})[u"ok"_s].toBool(),
        true);
    QCOMPARE(
        control(u"fault"_s, {{u"target"_s, u"http"_s}, {u"kind"_s, u"melt"_s}})[u"ok"_s].toBool(),
        false);
    QCOMPARE(cgi(u"wifi_info.mo"_s)[u"data"_s][u"wifi"_s][u"client"_s].toInt(), 2);
}

QTEST_GUILESS_MAIN(TestPcSim)
#include "tst_pcsim.moc"
