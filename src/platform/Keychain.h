#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

/// The platform keychain: small secrets that survive removal of the application's data folder.
/// Items are keyed by a service name. Every call is asynchronous: its answer comes later on the
/// main thread, never before the call returns, and only while @p receiver lives (a null receiver
/// asks for no guard). Failures are answers too, never thrown.
class Keychain : public QObject
{
    Q_OBJECT
public:
    /// The item's data, or nothing when there is no item or the keychain refused.
    using LoadHandler = std::function<void(std::optional<QByteArray>)>;
    /// Whether the keychain did what was asked.
    using DoneHandler = std::function<void(bool)>;

    explicit Keychain(QObject *parent = nullptr) : QObject(parent) {}

    /// Replaces the item of @p service with @p data.
    virtual void save(const QString &service, const QByteArray &data, QObject *receiver,
                      DoneHandler done) = 0;
    /// Reads the item of @p service.
    virtual void load(const QString &service, QObject *receiver, LoadHandler done) = 0;
    /// Removes the item of @p service; removing a missing item succeeds.
    virtual void remove(const QString &service, QObject *receiver, DoneHandler done) = 0;

protected:
    /// Runs @p answer on a later turn of the event loop, unless this keychain or a non-null
    /// @p receiver is gone by then.
    void answerLater(QObject *receiver, std::function<void()> answer);
    /// @p done, made to do nothing once a non-null @p receiver is gone.
    template <class Handler> static Handler whileAlive(QObject *receiver, Handler done)
    {
        if (!receiver || !done)
            return done;
        return [guard = QPointer<QObject>(receiver), done](auto &&...args) {
            if (guard)
                done(std::forward<decltype(args)>(args)...);
        };
    }
};
