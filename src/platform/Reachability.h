#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

/// Watches the local network link and signals every change of it (an interface coming or going, an
/// address changing). Platforms with a network-information service use it; otherwise the
/// interface list is compared periodically.
class Reachability : public QObject
{
    Q_OBJECT
public:
    explicit Reachability(QObject *parent = nullptr);
    /// Starts watching; changes before this call are not reported.
    virtual void startNotifier();

Q_SIGNALS:
    /// The link changed; listeners re-read the network position.
    void reachabilityChanged();

protected:
    [[nodiscard]] static QStringList currentLinkState();

private:
    QTimer m_poll;
    QStringList m_lastState;
};
