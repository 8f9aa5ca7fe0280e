#pragma once

#include <QObject>

/// Watches the WiFi link and signals every change of it that matters to the connection with the
/// PC: the link going up or down, or its IPv4 address changing. Changes of other interfaces
/// (containers, VPNs) and of IPv6 addresses are not reported.
class Reachability : public QObject
{
    Q_OBJECT
public:
    explicit Reachability(QObject *parent = nullptr) : QObject(parent) {}
    /// Starts watching; changes before this call are not reported.
    virtual void startNotifier() = 0;

Q_SIGNALS:
    /// The link changed; listeners re-read the network position.
    void reachabilityChanged();
};
