#pragma once

// Deep comparison of JSON values read into QVariant: the same kinds (integer is not double) and
// the same values, keys and order of lists. Shared by the JSON reader's fuzz target and tests.

#include <QVariant>

inline bool sameVariant(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::QVariantMap) {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys())
            return false;
        for (auto it = x.cbegin(); it != x.cend(); ++it)
            if (!sameVariant(it.value(), y.value(it.key())))
                return false;
        return true;
    }
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i)
            if (!sameVariant(x[i], y[i]))
                return false;
        return true;
    }
    return a == b;
}
