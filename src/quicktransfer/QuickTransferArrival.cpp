#include "QuickTransferArrival.h"

using namespace Qt::StringLiterals;

namespace {
constexpr quint64 kHoldBackSize = 0x500000;
}

QuickTransferObjectPtr
QuickTransferArrival::hasFileBiggerThan5M(const QList<QuickTransferObjectPtr> &records)
{
    for (const auto &record : records) {
        if (record && record->size > kHoldBackSize && record->type != QuickTransferTypeImage)
            return record;
    }
    return {};
}

QuickTransferArrival QuickTransferArrival::decide(const QVariantMap &payload)
{
    QuickTransferArrival arrival;
    const QVariant object = payload.value(u"object"_s);
    if (object.canConvert<QuickTransferObjectPtr>() && object.value<QuickTransferObjectPtr>()) {
        arrival.current = object.value<QuickTransferObjectPtr>();
        const auto &r = arrival.current;
        arrival.waitsForUser =
            r->isFile() && r->type != QuickTransferTypeImage && r->size >= kHoldBackSize;
        return arrival;
    }
    QList<QuickTransferObjectPtr> records;
    for (const QVariant &v : payload.value(u"array"_s).toList()) {
        if (auto record = v.value<QuickTransferObjectPtr>())
            records << record;
    }
    if (records.isEmpty())
        return arrival;
    if (auto big = hasFileBiggerThan5M(records)) {
        arrival.current = big;
        arrival.waitsForUser = true;
        for (const auto &record : std::as_const(records))
            if (record != big)
                arrival.setAside << record;
        return arrival;
    }
    arrival.current = records.first();
    arrival.downloadNow = records;
    return arrival;
}
