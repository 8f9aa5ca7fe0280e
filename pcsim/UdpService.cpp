#include "UdpService.h"

#include "Wire.h"

#include <QJsonDocument>
#include <QNetworkDatagram>

using namespace Qt::Literals::StringLiterals;

UdpService::UdpService(PcState &state, QObject *parent) : QObject(parent), m_state(state)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &UdpService::onReadyRead);
}

bool UdpService::bind(const QHostAddress &address, quint16 port)
{
    return m_socket.bind(address, port);
}

void UdpService::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_socket.receiveDatagram(65536);
        const QString from =
            u"%1:%2"_s.arg(d.senderAddress().toString(), QString::number(d.senderPort()));
        m_state.count(u"udp"_s);
        QString why;
        const auto msg = Wire::decodeDatagram(d.data(), &why);
        if (!msg) {
            logLine(u"udp from %1: %2 bytes dropped: %3"_s.arg(
                from, QString::number(d.data().size()), why));
            PcState::record(m_state.udp, QJsonObject{{u"from"_s, from}, {u"error"_s, why}});
            continue;
        }
        logLine(u"udp from %1: %2"_s.arg(from, QString::fromUtf8(Wire::compact(*msg))));
        PcState::record(m_state.udp, QJsonObject{{u"from"_s, from}, {u"msg"_s, *msg}});
        m_state.phoneHost = d.senderAddress().toString();
        m_state.phonePort = quint16(d.senderPort());
        if (msg->value(u"cm"_s).toInt() == 2012) {
            const int volume = (*msg)[u"dt"_s][u"volum"_s].toInt(-1);
            if (volume >= 0 && volume <= 100)
                m_state.volume = volume;
        }
    }
}

QString UdpService::push(int cm, const QJsonObject &dt, const QString &ua, const QString &host,
                         quint16 port)
{
    const QString toHost = host.isEmpty() ? m_state.phoneHost : host;
    const quint16 toPort = port ? port : m_state.phonePort;
    const QHostAddress address(toHost);
    if (address.isNull() || toPort == 0)
        return {};
    QJsonObject message{{u"cm"_s, cm}, {u"ua"_s, ua}};
    if (!dt.isEmpty())
        message[u"dt"_s] = dt;
    const QString to = u"%1:%2"_s.arg(toHost, QString::number(toPort));
    logLine(u"udp push to %1: %2"_s.arg(to, QString::fromUtf8(Wire::compact(message))));
    m_socket.writeDatagram(Wire::encodeDatagram(message), address, toPort);
    return to;
}
