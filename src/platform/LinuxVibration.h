#pragma once

#include "Vibration.h"

#include <QDBusConnection>

/// Vibration on Linux phones: a short haptic event asked of the feedback daemon
/// ("org.sigxcpu.Feedback") on the session bus. The call is not waited for; where no daemon
/// answers (a desktop) nothing happens and nothing is reported.
class LinuxVibration : public Vibration
{
    Q_OBJECT
public:
    /// Asks the daemon on @p bus, the session bus in production; an unconnected bus vibrates never.
    explicit LinuxVibration(const QDBusConnection &bus, QObject *parent = nullptr);

    void vibrate() override;

    /// The application as the daemon knows it (its desktop id, for per-application settings).
    static constexpr const char *kAppId = "io.zephyrwifi.ZephyrWiFi";
    /// The event asked for: the theme's short tap, felt in the quiet profile too.
    static constexpr const char *kEvent = "button-pressed";

private:
    QDBusConnection m_bus;
};
