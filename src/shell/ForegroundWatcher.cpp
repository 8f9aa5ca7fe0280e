#include "ForegroundWatcher.h"

ForegroundWatcher::ForegroundWatcher(QObject *parent) : QObject(parent) {}

void ForegroundWatcher::cameForward()
{
    // Several signs of one return (shown again, then active) count once.
    const Phase before = std::exchange(m_phase, Phase::Foreground);
    if (before == Phase::Away)
        Q_EMIT willEnterForeground();
}

void ForegroundWatcher::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive)
        cameForward();
    else if (m_phase == Phase::Foreground)
        m_phase = Phase::Away;
}

void ForegroundWatcher::windowVisibilityChanged(QWindow::Visibility visibility)
{
    if (visibility == QWindow::Hidden || visibility == QWindow::Minimized) {
        if (m_phase == Phase::Foreground)
            m_phase = Phase::Away;
    } else {
        cameForward();
    }
}
