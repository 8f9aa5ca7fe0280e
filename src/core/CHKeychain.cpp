#include "CHKeychain.h"

#include "AppCore.h"
#include "KeyedArchive.h"
#include "Logging.h"

namespace {
Keychain &keychain()
{
    return *AppCore::current()->platform().keychain;
}
} // namespace

void CHKeychain::save(const QString &service, const QVariant &object, QObject *receiver,
                      std::function<void(bool)> done)
{
    // The platform's save replaces any item of the service, as deleting it first would.
    keychain().save(service, KeyedArchive::archive(object), receiver, std::move(done));
}

void CHKeychain::load(const QString &service, QObject *receiver,
                      std::function<void(std::optional<QVariant>)> done)
{
    if (!done)
        return;
    keychain().load(service, receiver,
                    [service, done = std::move(done)](std::optional<QByteArray> data) {
                        if (!data) {
                            done(std::nullopt);
                            return;
                        }
                        QString reason;
                        auto object = KeyedArchive::unarchive(*data, &reason);
                        if (!object)
                            qCWarning(lcKeychain, "Unarchive of %s failed: %s", qPrintable(service),
                                      qPrintable(reason));
                        done(object);
                    });
}

void CHKeychain::deleteItem(const QString &service, QObject *receiver,
                            std::function<void(bool)> done)
{
    keychain().remove(service, receiver, std::move(done));
}
