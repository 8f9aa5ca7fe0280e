#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>

/// The application's notification hub. Services and screens never call each other for results:
/// they post a named notification with a QVariantMap payload and observe the names they need.
/// Delivery is synchronous, on the hub's (main) thread, in registration order; an observer is
/// removed when its owner is destroyed, and observers may come and go during a delivery.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QVariantMap &userInfo)>;

    explicit NotificationCenter(QObject *parent = nullptr);
    ~NotificationCenter() override;

    /// The hub of the running application core.
    [[nodiscard]] static NotificationCenter *defaultCenter();

    /// Registers @p handler for @p name; it lives as long as @p owner or until removed.
    void addObserver(QObject *owner, const QString &name, Handler handler);
    /// Removes every observer that @p owner registered.
    void removeObserver(QObject *owner);
    /// Removes the observers that @p owner registered for @p name.
    void removeObserver(QObject *owner, const QString &name);
    /// Delivers @p name to its observers now. From another thread, the delivery is queued to the
    /// hub's thread instead.
    void post(const QString &name, const QVariantMap &userInfo = {});

    [[nodiscard]] int observerCount(const QString &name) const;

private:
    struct Observer
    {
        quint64 id;
        QPointer<QObject> owner;
        QString name;
        Handler handler;
    };
    void ownerDestroyed(QObject *owner);

    QList<Observer> m_observers;
    QList<QObject *> m_watchedOwners;
    quint64 m_nextId = 1;
};
