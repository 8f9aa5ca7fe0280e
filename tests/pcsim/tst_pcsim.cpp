// The built zephyr-pc over real sockets, bytes written by hand from the wire tables: what the
// phone's tests never check, above all that nothing outside the served folder can be reached.
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

// Writes @p request to @p port and gathers the answer until the PC closes.
QByteArray exchange(quint16 port, const QByteArray &request)
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
} // namespace

class TestPcSim : public QObject
{
    Q_OBJECT
    std::unique_ptr<PcSim> m_pc;
    QString m_outside; // beside the root, where only a path that leaves it could reach
    QByteArray m_outsideName;
    QNetworkAccessManager m_net;

    QJsonObject cgi(const QByteArray &path)
    {
        const QUrl url(m_pc->api + u"cgi/"_s + QString::fromUtf8(path));
        QNetworkReply *reply = m_net.get(QNetworkRequest(url));
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(5000))
            return {};
        reply->deleteLater();
        return QJsonDocument::fromJson(inverted(QByteArray::fromBase64(reply->readAll()))).object();
    }

private Q_SLOTS:
    void init()
    {
        m_pc = std::make_unique<PcSim>();
        QVERIFY2(m_pc->start(), qPrintable(m_pc->errorString()));
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
        QFile outside(m_outside);
        QVERIFY(outside.open(QIODevice::WriteOnly) && outside.write("outside the root") > 0);
        outside.close();
        for (const QByteArray &q : {"dir_list.mo?name=C:/.."_ba, "dir_list.mo?name=C:%5C..%5C.."_ba,
                                    "dir_rename.mo?name=C:/../../" + m_outsideName + "&newname=x"})
            QCOMPARE(cgi(q)[u"err"_s].toInt(), 1);
        QVERIFY(QFileInfo::exists(m_outside));
        // Raw request line, so that no client tidies the dots away.
        const QByteArray answer =
            exchange(m_pc->httpPort, "GET /pc/C:/../../" + m_outsideName +
                                         " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QVERIFY2(answer.startsWith("HTTP/1.1 404"), answer.constData());
        QVERIFY(!answer.contains("outside the root"));
    }

    // An item for C:/../../(outside): the connection closes, nothing is written.
    void uploadsCannotLeaveTheRoot()
    {
        const QByteArray path = "C:/../../" + m_outsideName;
        const QByteArray upload = QByteArray(1, '\0') + be32(2) + inverted("{}") + "\x01\x02" +
                                  be32(quint32(path.size())) + inverted(path) + be32(0) + be32(3) +
                                  "abc" + be32(3);
        QCOMPARE(exchange(m_pc->port, upload), QByteArray());
        QVERIFY(!QFileInfo::exists(m_outside));
    }

    // After garbage on each channel a login frame still gets its answer, the web service its pages.
    void garbageLeavesEveryServiceRunning()
    {
        for (const QByteArray &bytes :
             {"\x7fgarbage"_ba, "\x01\xff\xff\xff\xff"_ba, "\x01"_ba + be32(3) + "abc"})
            QCOMPARE(exchange(m_pc->port, bytes), QByteArray());
        QVERIFY(!exchange(m_pc->httpPort, "\x7f\x01\x02 not a request\r\n\r\n").contains(" 200 "));
        QUdpSocket phone;
        phone.writeDatagram("not zlib", QHostAddress::LocalHost, m_pc->port);
        QTRY_COMPARE(m_pc->state()[u"udp"_s].toArray().size(), 1);
        QVERIFY(m_pc->state()[u"udp"_s][0].toObject().contains(u"error"_s));
        const QByteArray login = R"({"cm":1010,"ua":"iPhone;12;7.1;x;127.0.0.1;8360;ID;;"})";
        const QByteArray reply =
            exchange(m_pc->port, "\x01" + be32(quint32(login.size())) + inverted(login));
        QCOMPARE(QJsonDocument::fromJson(inverted(reply.mid(4))).object()[u"cm"_s].toInt(), 1010);
        QCOMPARE(cgi("pc_volum.mo")[u"data"_s][u"volum"_s].toInt(), 50);
    }
};

QTEST_GUILESS_MAIN(TestPcSim)
#include "tst_pcsim.moc"
