#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUdpSocket>
#include <QVariantMap>

#include <memory>

class NotificationCenter;
class RuntimeState;

/// The datagram channel with the PC: pointer, key, text and volume messages and an echo every
/// 30 seconds go out; the PC's pushes (texts, files, changes of the phone's standing) come in.
/// Nothing is acknowledged. Pushes are heard only from the PC's address and, once its machine id
/// is known, only when they carry it.
class UDPCenter : public QObject
{
    Q_OBJECT
public:
    static constexpr int EchoIntervalMs = 30000;
    /// How long the toasts of received texts and files and of changes of standing stay.
    static constexpr int ReceiptToastMs = 1000;
    static constexpr int StandingToastMs = 2000;
    /// Posts pushes on @p hub and changes of standing into @p state; listens on @p udpPort and
    /// sends to the PC's @p pcPort once started.
    UDPCenter(NotificationCenter &hub, RuntimeState &state, quint16 udpPort, quint16 pcPort,
              QObject *parent = nullptr);
    ~UDPCenter() override;

    /// The running channel.
    [[nodiscard]] static UDPCenter *sharedInstance();

    /// Binds the phone's port and starts the echo timer; false when the port cannot be bound.
    bool start();
    bool setupSocket();
    [[nodiscard]] bool isBound() const;
    [[nodiscard]] quint16 localPort() const;

    /// Each returns whether a datagram left the phone (not whether the PC got it).
    bool sendEcho();
    /// An empty text sends nothing.
    bool sendText(const QString &text);
    bool sendMouseAction(int action, const QString &data = {});
    bool sendKeyboardAction(int action, int key, int ext = 0);
    /// @p volume is truncated toward zero and kept within 0 to 100.
    bool sendVolume(double volume);
    /// Sends one message object; one too large for a datagram is refused.
    bool sendDictionary(const QVariantMap &message);

Q_SIGNALS:
    /// A short message for the user, shown for @p durationMs.
    void toastRequested(const QString &text, int durationMs);
    /// A push from the attached PC was accepted and acted on (after its toast, if any).
    void pushReceived(int cm, const QVariantMap &dt);

private:
    bool send(const QByteArray &payload);
    void readPending();
    void handleDatagram(const QByteArray &datagram, const QHostAddress &sender);
    [[nodiscard]] bool isFromThePc(const QVariantMap &message, const QHostAddress &sender) const;
    void receivedText(const QVariantMap &dt);
    void receivedFile(const QVariantMap &dt);
    void standingChanged(const QVariantMap &dt);

    NotificationCenter &m_hub;
    RuntimeState &m_state;
    quint16 m_udpPort;
    quint16 m_pcPort;
    std::unique_ptr<QUdpSocket> m_udpSocket;
    QTimer m_echoTimer;
};
