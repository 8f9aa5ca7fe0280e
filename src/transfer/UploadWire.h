#pragma once

#include <QByteArray>
#include <QString>

/// The upload stream to the PC as pure functions. Integers are unsigned 32-bit big-endian;
/// the identity and the target path travel complemented, the file bytes as they are.
class UploadWire
{
public:
    static constexpr qint64 FragmentSize = 8192;
    /// Sizes at or above this do not fit the 32-bit size fields.
    static constexpr qint64 SizeLimit = qint64(1) << 32;
    /// Bytes of the PC's reply after each item.
    static constexpr qsizetype ReplyLength = 4;

    /// 0x00, length, the complemented JSON text {"ua": ua}, 0x01.
    [[nodiscard]] static QByteArray identity(const QString &ua);
    /// 0x02, length, the complemented UTF-8 target path, time stamp and size (low 32 bits each).
    [[nodiscard]] static QByteArray fileHeader(const QString &targetPath, qint64 seconds,
                                               qint64 size);
    /// The size trailer after an item's bytes.
    [[nodiscard]] static QByteArray trailer(qint64 size);
    /// The end of the upload.
    [[nodiscard]] static QByteArray endMarker();

    /// @p folder on the PC with @p fileName appended as a path component.
    [[nodiscard]] static QString targetPath(const QString &folder, const QString &fileName);
    /// Length of fragment @p index of a file of @p size bytes; 0 once the file is complete.
    [[nodiscard]] static qint64 fragmentLength(qint64 size, qint64 index);
    /// The size the PC reports receiving; a reply of any length but 4 counts as 0.
    [[nodiscard]] static quint32 replySize(const QByteArray &reply);

    [[nodiscard]] static QByteArray be32(quint32 value);
};
