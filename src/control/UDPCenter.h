#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
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
    /// Pushes that add a record (texts and files) draw on a budget of PushBurst, which comes
    /// back at one every PushRefillMs: a person's handful lands at once, while a flood adds at
    /// most twelve records a minute. A push's text is bounded by the datagram itself.
    static constexpr int PushBurst = 10;
    static constexpr int PushRefillMs = 5000;
    /// The same text, or the same file and size, pushed again within this time adds nothing.
    static constexpr int RepeatWindowMs = 60000;

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
    /// Whether a push that adds the record named @p key may add it now; takes from the budget.
    bool admitRecord(const QString &key);
    void receivedText(const QVariantMap &dt);
    void receivedFile(const QVariantMap &dt);
    void standingChanged(const QVariantMap &dt);

    NotificationCenter &m_hub;
    RuntimeState &m_state;
    quint16 m_udpPort;
    quint16 m_pcPort;
    std::unique_ptr<QUdpSocket> m_udpSocket;
    QTimer m_echoTimer;
    /// The push budget, kept in milliseconds of refill time, and when it was last topped up.
    qint64 m_pushCreditMs = qint64(PushBurst) * PushRefillMs;
    qint64 m_pushToppedUpMs = 0;
    QElapsedTimer m_pushClock;
    bool m_warnedOfFlood = false;
    struct RecentPush
    {
        QString key;
        qint64 atMs;
    };
    QList<RecentPush> m_recentPushes;
};
