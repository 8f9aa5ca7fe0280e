// Fuzz target: quick-transfer records built from a PC answer item, and the local path every
// built record would be written to, which must stay inside its folder.
#include "JsonUtils.h"
#include "LocalFiles.h"
#include "QuickTransferObject.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
using namespace Qt::StringLiterals;

void check(const QuickTransferObjectPtr &r)
{
    if (!r)
        return;
    if (r->dt.isNull() || r->path.isNull() || r->localPath.isNull() || r->md5.isNull())
        std::abort();
    const QString folder = u"/data/qt"_s;
    const QString local = LocalFiles::safeLocalPath(folder, r->localPath);
    if (!local.isEmpty() &&
        (!local.startsWith(folder + u'/') || local.contains(u"/../"_s) || local.endsWith(u"/.."_s)))
        std::abort();
    (void)QuickTransferObject::fileTypeOfPath(r->path);
    (void)r->toVariantMap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QVariant value = JsonUtils::dataToDictionary(bytes);
    static const QStringList kinds = {u"file"_s,    u"url"_s,  u"folder"_s,
                                      u"desktop"_s, u"text"_s, u"unknown"_s};
    for (const QString &kind : kinds)
        check(QuickTransferObject::createWithDictionary(value, kind));
    // The shape of a whole answer: {"type": ..., "dt": item or [items]}.
    const QVariantMap answer = value.toMap();
    const QString type = answer.value(u"type"_s).toString();
    const QVariant dt = answer.value(u"dt"_s);
    check(QuickTransferObject::createWithDictionary(dt, type));
    for (const QVariant &item : dt.toList())
        check(QuickTransferObject::createWithDictionary(item, u"file"_s));
    return 0;
}
