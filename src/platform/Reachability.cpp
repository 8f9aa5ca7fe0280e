#include "Reachability.h"

#include <QNetworkInterface>

using namespace Qt::StringLiterals;

namespace {
constexpr int kPollIntervalMs = 3000;
}

Reachability::Reachability(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(kPollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        const QStringList state = currentLinkState();
        if (state != m_lastState) {
            m_lastState = state;
            Q_EMIT reachabilityChanged();
        }
    });
}

void Reachability::startNotifier()
{
    m_lastState = currentLinkState();
    m_poll.start();
}

QStringList Reachability::currentLinkState()
{
    QStringList state;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!(iface.flags() & QNetworkInterface::IsUp) ||
            (iface.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            state << iface.name() + u'=' + entry.ip().toString();
    }
    state.sort();
    return state;
}
