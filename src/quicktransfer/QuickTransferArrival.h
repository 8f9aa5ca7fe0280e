#pragma once

#include "QuickTransferObject.h"

#include <QList>
#include <QVariantMap>

/// What the transfer screen does when new items arrive from a shake: which record it shows,
/// which it sets aside until the user chooses to download, and which downloads start now.
struct QuickTransferArrival
{
    /// The record the screen shows; none when the arrival counts as a failure.
    QuickTransferObjectPtr current;
    /// Records downloaded together with `current` once the user asks for it.
    QList<QuickTransferObjectPtr> setAside;
    /// Records whose downloads start at once, in order.
    QList<QuickTransferObjectPtr> downloadNow;
    /// Whether `current` waits for the user's choice before downloading.
    bool waitsForUser = false;

    [[nodiscard]] bool isFailure() const { return !current; }

    /// Decides from the payload of "notification_get_new_quicktransfer": one "object" (whose
    /// downloads the fetch has already started) or an "array" of several records.
    [[nodiscard]] static QuickTransferArrival decide(const QVariantMap &payload);
    /// The first record above 5 MiB that is not an image, or none.
    [[nodiscard]] static QuickTransferObjectPtr
    hasFileBiggerThan5M(const QList<QuickTransferObjectPtr> &records);
};
