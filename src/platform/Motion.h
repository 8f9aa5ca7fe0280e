#pragma once

#include <QObject>

/// The phone's motion: tells when the user shakes it. Screens decide what a shake does.
class Motion : public QObject
{
    Q_OBJECT
public:
    explicit Motion(QObject *parent = nullptr) : QObject(parent) {}

    /// Whether the device has a motion sensor; without one, shakes come only from the keyboard
    /// shortcut the screens bind.
    [[nodiscard]] virtual bool hasSensor() const = 0;

Q_SIGNALS:
    /// The user shook the phone: once per shake.
    void shaken();
};
