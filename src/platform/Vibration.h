#pragma once

#include <QObject>

/// The phone's short vibration, felt when a shake is taken.
class Vibration : public QObject
{
    Q_OBJECT
public:
    explicit Vibration(QObject *parent = nullptr) : QObject(parent) {}

    /// Vibrates briefly. Returns at once; a device that cannot vibrate does nothing.
    virtual void vibrate() = 0;
};
