#include "LinuxVibration.h"

#include <QDBusMessage>
#include <QVariantMap>

using namespace Qt::StringLiterals;

LinuxVibration::LinuxVibration(const QDBusConnection &bus, QObject *parent)
    : Vibration(parent), m_bus(bus)
{
}

void LinuxVibration::vibrate()
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.sigxcpu.Feedback"_s, u"/org/sigxcpu/Feedback"_s,
                                       u"org.sigxcpu.Feedback"_s, u"TriggerFeedback"_s);
    // No louder than the quiet profile, so that it is felt rather than heard; -1: the event's
    // own length.
    const QVariantMap hints{{u"profile"_s, u"quiet"_s}};
    call << QString::fromLatin1(kAppId) << QString::fromLatin1(kEvent) << hints << -1;
    // The answer (the event's id, or an error where no daemon runs) is of no use: a message sent
    // this way asks for none and is not waited for.
    m_bus.send(call);
}
