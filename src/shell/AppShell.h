#pragma once

#include "AppCore.h"
#include "GuideController.h"
#include "RuntimeState.h"

#include <QObject>
#include <QtQml/qqml.h>

class QQmlEngine;
class QJSEngine;

/// The screens' entry into the running application: the controllers that live as long as the
/// window (first-launch guide, ...) and the runtime state. Published to QML as the singleton
/// `Shell`.
class AppShell : public QObject
{
    Q_OBJECT
    /// The first-launch guide.
    Q_PROPERTY(GuideController *guide READ guide CONSTANT)
    /// The connection state every screen reads.
    Q_PROPERTY(RuntimeState *state READ state CONSTANT)
    /// The status line of the menu: the WiFi name, or that the phone is not on WiFi.
    Q_PROPERTY(QString wifiText READ wifiText NOTIFY wifiTextChanged)
    /// The connection status in words.
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
public:
    explicit AppShell(QObject *parent = nullptr);
    ~AppShell() override;

    /// The shell of the running window.
    [[nodiscard]] static AppShell *instance();

    [[nodiscard]] GuideController *guide() { return &m_guide; }
    [[nodiscard]] RuntimeState *state() const;
    [[nodiscard]] QString wifiText() const;
    [[nodiscard]] QString statusText() const;

    /// A media remote-control key of the window ("play", "pause", "next", "previous", ...).
    Q_INVOKABLE void remoteControlReceived(const QString &event);

    /// The hooks of the start-up sequence, with the guide shown by this shell.
    [[nodiscard]] AppCore::Hooks startupHooks();

Q_SIGNALS:
    void wifiTextChanged();
    void statusTextChanged();

private:
    GuideController m_guide;
};

/// Publishes the running AppShell to QML as the singleton `Shell`.
struct AppShellForeign
{
    Q_GADGET
    QML_FOREIGN(AppShell)
    QML_SINGLETON
    QML_NAMED_ELEMENT(Shell)
public:
    static AppShell *create(QQmlEngine *, QJSEngine *);
};

/// Lets QML name the runtime state's type.
struct RuntimeStateForeign
{
    Q_GADGET
    QML_FOREIGN(RuntimeState)
    QML_ANONYMOUS
};
