#include "CliContext.h"

#include "FileObject.h"
#include "JsonUtils.h"
#include "NotificationCenter.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

CliContext::CliContext(AppCore &core, bool json) : m_core(core), m_json(json) {}

std::optional<QVariantMap> CliContext::waitForNotification(const QString &name, int timeoutMs,
                                                           const std::function<void()> &trigger)
{
    return waitForAny({name}, timeoutMs, trigger);
}

std::optional<QVariantMap> CliContext::waitForAny(const QStringList &names, int timeoutMs,
                                                  const std::function<void()> &trigger)
{
    QObject owner;
    QEventLoop loop;
    std::optional<QVariantMap> result;
    for (const QString &name : names) {
        m_core.notificationCenter()->addObserver(&owner, name, [&, name](const QVariantMap &info) {
            if (result)
                return;
            QVariantMap withName = info;
            withName.insert(u"name"_s, name);
            result = withName;
            loop.quit();
        });
    }
    if (trigger)
        trigger();
    if (!result) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return result;
}

QVariant CliContext::toPlain(const QVariant &value)
{
    if (value.canConvert<FileObjectPtr>() && value.typeId() == qMetaTypeId<FileObjectPtr>()) {
        const auto file = value.value<FileObjectPtr>();
        return file ? QVariant(file->toVariantMap()) : QVariant();
    }
    if (value.typeId() == QMetaType::QVariantList) {
        QVariantList out;
        for (const QVariant &v : value.toList())
            out << toPlain(v);
        return out;
    }
    if (value.typeId() == QMetaType::QVariantMap) {
        QVariantMap out;
        const QVariantMap in = value.toMap();
        for (auto it = in.cbegin(); it != in.cend(); ++it)
            out.insert(it.key(), toPlain(it.value()));
        return out;
    }
    // Records of the layers above register a conversion to a map.
    if (value.canConvert<QVariantMap>() && value.typeId() >= QMetaType::User)
        return toPlain(value.toMap());
    return value;
}

void CliContext::print(const QVariantMap &result) const
{
    const QVariantMap plain = toPlain(result).toMap();
    if (m_json) {
        std::fputs(JsonUtils::objectToData(plain).constData(), stdout);
        std::fputc('\n', stdout);
    } else {
        for (auto it = plain.cbegin(); it != plain.cend(); ++it) {
            const QVariant &v = it.value();
            const bool nested =
                v.typeId() == QMetaType::QVariantMap || v.typeId() == QMetaType::QVariantList;
            const QString text = nested ? JsonUtils::objectToString(v) : v.toString();
            std::fputs(qPrintable(it.key() + u": "_s + text + u'\n'), stdout);
        }
    }
    std::fflush(stdout);
}

int CliContext::fail(const QString &message) const
{
    std::fputs(qPrintable(u"zephyr-cli: "_s + message + u'\n'), stderr);
    return 1;
}
