#pragma once

#include <QObject>
#include <QWindow>

/// Tells when the application comes back to the foreground on a desktop, where the platform
/// reports only "active" and "inactive" and the window's visibility. Coming back is the
/// application becoming active, or the window being shown again, after it had been inactive,
/// hidden or minimised; the first time the application is shown is its start, not a return.
class ForegroundWatcher : public QObject
{
    Q_OBJECT
public:
    explicit ForegroundWatcher(QObject *parent = nullptr);

    /// The application's state as the platform reports it.
    void applicationStateChanged(Qt::ApplicationState state);
    /// The main window's visibility.
    void windowVisibilityChanged(QWindow::Visibility visibility);

Q_SIGNALS:
    /// The application is back in the foreground.
    void willEnterForeground();

private:
    enum class Phase { Starting, Foreground, Away };
    void cameForward();

    Phase m_phase = Phase::Starting;
};
