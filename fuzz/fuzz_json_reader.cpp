// Fuzz target: the fast JSON reader against Qt's own parser. Whatever the input, both must give
// the same value of the same kinds, or both refuse it.
#include "JsonUtils.h"
#include "VariantCompare.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
// What Qt's parser makes of the text: a document, else a single top-level value.
QVariant reference(const QByteArray &text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::NoError) {
        if (doc.isObject())
            return doc.object().toVariantMap();
        if (doc.isArray())
            return doc.array().toVariantList();
    }
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + text + ']', &error);
    if (error.error != QJsonParseError::NoError || wrapped.array().size() != 1)
        return {};
    const QJsonValue v = wrapped.array().first();
    return v.isNull() ? QVariant::fromValue(nullptr) : v.toVariant();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    if (text.isEmpty())
        return 0;
    const QVariant fast = JsonUtils::dataToDictionary(text);
    const QVariant slow = reference(text);
    if (fast.isValid() != slow.isValid() || (fast.isValid() && !sameVariant(fast, slow)))
        std::abort();
    return 0;
}
