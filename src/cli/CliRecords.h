#pragma once

#include "CliOutput.h"
#include "FileObject.h"
#include "QuickTransferObject.h"

/// How records are shown: one JSON object each with --json, else a table for people.
namespace CliRecords {
/// Quick-transfer records: kind, size, state and name (or the text itself), in the given order.
/// Records in @p waiting are held back for the user to download. Records the history failed to
/// store (no identifier, and not a folder, which is never stored) are left out.
void print(CliOutput &out, const QList<QuickTransferObjectPtr> &records,
           const QList<QuickTransferObjectPtr> &waiting = {});
/// A PC listing: kind, size, modification date and name; for JSON, the listing's answer.
void printListing(CliOutput &out, const QList<FileObjectPtr> &files, const QVariantMap &answer);

/// The kind of a record in a word ("text", "image", ...).
[[nodiscard]] QString kindText(const QuickTransferObject &record);
/// The kind of a listing entry in a word ("folder", "drive", "document", ...).
[[nodiscard]] QString kindText(const FileObject &file);
} // namespace CliRecords
