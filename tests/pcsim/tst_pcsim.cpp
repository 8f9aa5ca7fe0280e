// The built zephyr-pc over real sockets, bytes written by hand from the wire tables: what the
// phone's tests never check, that nothing outside the served folder can be reached.
#include "PcSim.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

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
    PcSim m_pc;
    QNetworkAccessManager m_net;

    int cgiError(const QByteArray &path)
    {
        QNetworkReply *reply =
            m_net.get(QNetworkRequest(QUrl(m_pc.api + u"cgi/"_s + QString::fromUtf8(path))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(5000))
            return -1;
        reply->deleteLater();
        const QByteArray json = inverted(QByteArray::fromBase64(reply->readAll()));
        return QJsonDocument::fromJson(json).object()[u"err"_s].toInt(-1);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString())); }

    // An upload, queries and a download for C:/../../(beside the root) write, change and read
    // nothing there.
    void pathsCannotLeaveTheRoot()
    {
        const QString outside = m_pc.rootPath() + u"-outside"_s;
        const auto removeOutside = qScopeGuard([&] { QFile::remove(outside); });
        const QByteArray path = "C:/../../" + QFileInfo(outside).fileName().toUtf8();
        const QByteArray upload = QByteArray(1, '\0') + be32(2) + inverted("{}") + "\x01\x02" +
                                  be32(quint32(path.size())) + inverted(path) + be32(0) + be32(3) +
                                  "abc" + be32(3);
        QCOMPARE(exchange(m_pc.port, upload), QByteArray());
        QVERIFY(!QFileInfo::exists(outside));

        QFile file(outside);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("outside the root") > 0);
        file.close();
        for (const QByteArray &q : {"dir_list.mo?name=C:/.."_ba, "dir_list.mo?name=C:%5C..%5C.."_ba,
                                    "dir_rename.mo?name=" + path + "&newname=x"})
            QCOMPARE(cgiError(q), 1);
        QVERIFY(QFileInfo::exists(outside));
        // Raw request line, so that no client tidies the dots away.
        const QByteArray answer = exchange(
            m_pc.httpPort, "GET /pc/" + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QVERIFY2(answer.startsWith("HTTP/1.1 404"), answer.constData());
        QVERIFY(!answer.contains("outside the root"));
    }
};

QTEST_GUILESS_MAIN(TestPcSim)
#include "tst_pcsim.moc"
