#include "CHKeychain.h"

#include "AppCore.h"
#include "KeyedArchive.h"
#include "Logging.h"

bool CHKeychain::save(const QString &service, const QVariant &object)
{
    Keychain *keychain = AppCore::current()->platform().keychain.get();
    keychain->remove(service);
    return keychain->save(service, KeyedArchive::archive(object));
}

std::optional<QVariant> CHKeychain::load(const QString &service)
{
    const auto data = AppCore::current()->platform().keychain->load(service);
    if (!data)
        return std::nullopt;
    QString reason;
    auto object = KeyedArchive::unarchive(*data, &reason);
    if (!object)
        qCWarning(lcKeychain, "Unarchive of %s failed: %s", qPrintable(service),
                  qPrintable(reason));
    return object;
}

bool CHKeychain::deleteItem(const QString &service)
{
    return AppCore::current()->platform().keychain->remove(service);
}
