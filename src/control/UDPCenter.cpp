#include "UDPCenter.h"

#include "AppCore.h"
#include "ControlDatagram.h"
#include "DeviceInfoCenter.h"
#include "JsonUtils.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"

#include <QLoggingCategory>
#include <QNetworkDatagram>

#include <algorithm>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcPush, "zephyr.net", QtWarningMsg)

UDPCenter::UDPCenter(NotificationCenter &hub, RuntimeState &state, quint16 udpPort, quint16 pcPort,
                     QObject *parent)
    : QObject(parent), m_hub(hub), m_state(state), m_udpPort(udpPort), m_pcPort(pcPort)
{
    m_echoTimer.setInterval(EchoIntervalMs);
    connect(&m_echoTimer, &QTimer::timeout, this, [this] { sendEcho(); });
    m_pushClock.start();
}

UDPCenter::~UDPCenter() = default;

UDPCenter *UDPCenter::sharedInstance()
{
    return AppCore::current()->service<UDPCenter>();
}

bool UDPCenter::start()
{
    return isBound() || setupSocket();
}

bool UDPCenter::setupSocket()
{
    m_echoTimer.stop();
    auto socket = std::make_unique<QUdpSocket>();
    // With the PC on this host (the demo, the tests) nothing outside it needs to reach us.
    const auto pc = DeviceInfoCenter::getServerWiFiIPAddress();
    const bool local = pc && QHostAddress(*pc).isLoopback();
    const QHostAddress address =
        local ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::AnyIPv4);
    if (!socket->bind(address, m_udpPort)) {
        m_udpSocket.reset();
        return false;
    }
    connect(socket.get(), &QUdpSocket::readyRead, this, &UDPCenter::readPending);
    m_udpSocket = std::move(socket);
    m_echoTimer.start();
    return true;
}

bool UDPCenter::isBound() const
{
    return m_udpSocket && m_udpSocket->state() == QAbstractSocket::BoundState;
}

quint16 UDPCenter::localPort() const
{
    return m_udpSocket ? m_udpSocket->localPort() : 0;
}

bool UDPCenter::sendEcho()
{
    return sendDictionary(ControlDatagram::echo(DeviceInfoCenter::getHttpRequestUA()));
}

bool UDPCenter::sendText(const QString &text)
{
    if (text.isEmpty())
        return false;
    return sendDictionary(ControlDatagram::text(DeviceInfoCenter::getHttpRequestUA(), text));
}

bool UDPCenter::sendMouseAction(int action, const QString &data)
{
    return sendDictionary(
        ControlDatagram::mouse(DeviceInfoCenter::getHttpRequestUA(), action, data));
}

bool UDPCenter::sendKeyboardAction(int action, int key, int ext)
{
    return sendDictionary(
        ControlDatagram::keyboard(DeviceInfoCenter::getHttpRequestUA(), action, key, ext));
}

bool UDPCenter::sendVolume(double volume)
{
    const auto message = ControlDatagram::volume(DeviceInfoCenter::getHttpRequestUA(), volume);
    return message && sendDictionary(*message);
}

bool UDPCenter::sendDictionary(const QVariantMap &message)
{
    const auto datagram = ControlDatagram::encode(message);
    return datagram && send(*datagram);
}

bool UDPCenter::send(const QByteArray &payload)
{
    if (!isBound())
        return false;
    const auto pc = DeviceInfoCenter::getServerWiFiIPAddress();
    const QHostAddress address(pc.value_or(QString()));
    if (address.isNull())
        return false;
    return m_udpSocket->writeDatagram(payload, address, m_pcPort) == payload.size();
}

void UDPCenter::readPending()
{
    // The socket may be replaced by a handler (a status change leads to a new set-up).
    QUdpSocket *socket = m_udpSocket.get();
    while (socket && socket == m_udpSocket.get() && socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (datagram.isValid())
            handleDatagram(datagram.data(), datagram.senderAddress());
    }
}

bool UDPCenter::isFromThePc(const QVariantMap &message, const QHostAddress &sender) const
{
    // Every device on the hotspot can reach this port, and any authorisation reply names the
    // PC's machine id: the PC's address comes first, the machine id then confirms it.
    const QHostAddress pc(DeviceInfoCenter::getServerWiFiIPAddress().value_or(QString()));
    if (pc.isNull() || !pc.isEqual(sender, QHostAddress::ConvertV4MappedToIPv4))
        return false;
    const QString serverMid = m_state.serverMid();
    if (serverMid.isEmpty())
        return true;
    const QVariant ua = message.value(u"ua"_s);
    if (ua.typeId() != QMetaType::QString)
        return false;
    return ControlDatagram::machineIdOf(ua.toString()) == serverMid;
}

bool UDPCenter::admitRecord(const QString &key)
{
    const qint64 now = m_pushClock.elapsed();
    m_recentPushes.removeIf(
        [now](const RecentPush &push) { return now - push.atMs >= RepeatWindowMs; });
    for (const RecentPush &push : std::as_const(m_recentPushes))
        if (push.key == key)
            return false;
    const qint64 full = qint64(PushBurst) * PushRefillMs;
    m_pushCreditMs = std::min(full, m_pushCreditMs + (now - m_pushToppedUpMs));
    m_pushToppedUpMs = now;
    if (m_pushCreditMs < PushRefillMs) {
        if (!m_warnedOfFlood)
            qCWarning(lcPush) << "pushes arrive faster than" << 60000 / PushRefillMs
                              << "a minute; those over the budget are dropped";
        m_warnedOfFlood = true;
        return false;
    }
    m_pushCreditMs -= PushRefillMs;
    m_warnedOfFlood = false;
    m_recentPushes.append({key, now});
    return true;
}

void UDPCenter::handleDatagram(const QByteArray &datagram, const QHostAddress &sender)
{
    const auto message = ControlDatagram::decode(datagram);
    if (!message || !isFromThePc(*message, sender))
        return;
    const QVariant dtValue = message->value(u"dt"_s);
    if (!JsonUtils::isObject(dtValue))
        return;
    const QVariantMap dt = dtValue.toMap();
    const int cm = int(JsonUtils::integerValue(message->value(u"cm"_s)));
    switch (cm) {
    case ControlDatagram::Text:
        receivedText(dt);
        break;
    case ControlDatagram::FilePushed:
        receivedFile(dt);
        break;
    case ControlDatagram::StandingChanged:
        standingChanged(dt);
        break;
    default:
        break;
    }
}

void UDPCenter::receivedText(const QVariantMap &dt)
{
    const QString text = dt.value(u"text"_s).toString();
    if (text.isEmpty() || !admitRecord(u"text:"_s + text))
        return;
    const QuickTransferObjectPtr record = QuickTransferObject::create();
    record->type = QuickTransferTypeText;
    record->dt = text;
    auto *hub = &m_hub;
    hub->post(Notifications::SaveQuickTransfer, {{u"object"_s, QVariant::fromValue(record)}});
    hub->post(Notifications::RefreshQuickTransferList);
    Q_EMIT toastRequested(u"收到来自电脑的文字"_s, ReceiptToastMs);
    Q_EMIT pushReceived(ControlDatagram::Text, dt);
}

void UDPCenter::receivedFile(const QVariantMap &dt)
{
    const QString path = dt.value(u"path"_s).toString();
    // A negative size is no size; the download corrects it from the file itself.
    const auto size = quint64(std::max<qint64>(0, JsonUtils::integerValue(dt.value(u"size"_s))));
    if (path.isEmpty() || !admitRecord(u"file:%1:%2"_s.arg(size).arg(path)))
        return;
    const QuickTransferObjectPtr record = QuickTransferObject::createWithPath(path);
    record->from = 1;
    record->size = size;
    auto *hub = &m_hub;
    const QVariantMap payload{{u"object"_s, QVariant::fromValue(record)}};
    hub->post(Notifications::SaveQuickTransfer, payload);
    hub->post(Notifications::RefreshQuickTransferList);
    hub->post(Notifications::DoDownloadFile, payload);
    Q_EMIT toastRequested(u"收到来自电脑的文件"_s, ReceiptToastMs);
    Q_EMIT pushReceived(ControlDatagram::FilePushed, dt);
}

void UDPCenter::standingChanged(const QVariantMap &dt)
{
    struct Standing
    {
        quint64 status;
        QString toast;
    };
    Standing standing;
    switch (JsonUtils::integerValue(dt.value(u"action"_s))) {
    case 1:
        standing = {AppStatusLoggedIn, u"您已被取消管理员权限"_s};
        break;
    case 2:
        standing = {AppStatusBlacklisted, u"您已被管理员加入黑名单"_s};
        break;
    case 3:
        standing = {AppStatusRemoteDisabled, u"电脑已禁用手机遥控服务"_s};
        break;
    case 4:
        standing = {AppStatusFullScreen, {}};
        break;
    default:
        return;
    }
    m_state.setStatus(standing.status);
    if (!standing.toast.isEmpty())
        Q_EMIT toastRequested(standing.toast, StandingToastMs);
    Q_EMIT pushReceived(ControlDatagram::StandingChanged, dt);
}
