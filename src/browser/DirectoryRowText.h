#pragma once

#include "FileObject.h"

#include <QString>

/// What one row of a PC listing shows: the kind of entry and its icon, the size text and the
/// modification date.
class DirectoryRowText
{
public:
    /// Kinds of entries; a file's kind follows its extension.
    enum class Kind { Folder, Drive, Archive, Document, Video, Image, Music, File, Other };

    [[nodiscard]] static Kind kindOf(const FileObject &file);
    /// The kind of a file by the text after the last "." of its name, any case; a name without
    /// a "." is matched as a whole.
    [[nodiscard]] static Kind kindOfFileName(const QString &name);
    /// The row's icon: "file_folder.png" for a folder, the file kind's icon for a file, none
    /// for other entries.
    [[nodiscard]] static QString iconOf(const FileObject &file);
    /// The file kind's icon ("file_zip.png", "file_doc.png", ... "file_default.png").
    [[nodiscard]] static QString imageByFileName(const QString &name);
    /// The size text of a file ("1.5MB"); folders and drives show none.
    [[nodiscard]] static QString sizeText(const FileObject &file);
    /// The modification date in local time, "2024-03-05 14:07"; none when the PC gave no time.
    [[nodiscard]] static QString dateText(const FileObject &file);
};
