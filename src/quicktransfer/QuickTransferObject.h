#pragma once

#include "FileObject.h"

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QString>
#include <QVariant>

class QuickTransferRegistry;

/// Type codes of a quick-transfer record. Each kind that is not a file is one bit; the file kinds
/// share QuickTransferTypeFileBit and differ in the low bits.
enum QuickTransferType : quint64 {
    QuickTransferTypeLink = 0x10000,
    QuickTransferTypeFolder = 0x20000,
    QuickTransferTypeText = 0x40000,
    QuickTransferTypeFileBit = 0x80000,
    QuickTransferTypeDocument = 0x80001,
    QuickTransferTypeVideo = 0x80002,
    QuickTransferTypeImage = 0x80004,
    QuickTransferTypeMusic = 0x80008,
    /// Code of earlier stores; rewritten to QuickTransferTypeDocument when the store opens.
    QuickTransferTypeOldDocument = 0x80010,
};

class QuickTransferObject;
using QuickTransferObjectPtr = QSharedPointer<QuickTransferObject>;

/// One item received from the PC (a text, a web address, a file, a folder reference, a
/// screenshot): the row of the history, the unit of download and the model of a list row.
/// Records are shared by QuickTransferObjectPtr; live records of the same row mirror each other's
/// progress (finishedSize) and corrected size through the registry that tracks them (the store
/// tracks every record it loads).
class QuickTransferObject
{
    Q_GADGET
    Q_PROPERTY(quint64 identifier MEMBER identifier)
    Q_PROPERTY(quint64 type MEMBER type)
    Q_PROPERTY(QString dt MEMBER dt)
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(quint64 size MEMBER size)
    Q_PROPERTY(QString url MEMBER url)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString md5 MEMBER md5)
    Q_PROPERTY(QString localPath MEMBER localPath)
    Q_PROPERTY(quint64 first_id MEMBER first_id)
    Q_PROPERTY(quint64 finishedSize MEMBER finishedSize)
    Q_PROPERTY(quint64 from MEMBER from)
public:
    /// An empty record, registered for progress mirroring.
    QuickTransferObject();
    ~QuickTransferObject();
    QuickTransferObject(const QuickTransferObject &) = delete;
    QuickTransferObject &operator=(const QuickTransferObject &) = delete;

    /// An empty record (all strings "", numbers 0).
    [[nodiscard]] static QuickTransferObjectPtr create();
    /// The record of one item of the PC's quick-transfer answer. "file" and "url" take an entry
    /// object; "folder", "desktop" and "text" take a string. Any other type string, or an item
    /// of the wrong JSON kind, gives no record.
    [[nodiscard]] static QuickTransferObjectPtr createWithDictionary(const QVariant &entry,
                                                                     const QString &typeString);
    /// A file or folder chosen in the PC browser.
    [[nodiscard]] static QuickTransferObjectPtr createWithFileObject(const FileObject &file);
    /// A file the PC pushed; the caller sets `from` and `size`.
    [[nodiscard]] static QuickTransferObjectPtr createWithPath(const QString &pcPath);

    /// The file kind of a PC path, from its extension in any case (Document when unknown or
    /// missing).
    [[nodiscard]] static quint64 fileTypeOfPath(const QString &pcPath);
    /// The extension of the last component of a PC path as it is written ("" when none).
    [[nodiscard]] static QString extensionOfPath(const QString &pcPath);

    [[nodiscard]] bool isFile() const { return type & QuickTransferTypeFileBit; }
    /// Names the local copy when it has no name yet: the digest plus the path's extension for
    /// shaken files, else the PC path itself.
    void applyLocalFileNameRule();
    /// Strings are never absent in this implementation; kept as the one place that would fix them.
    void setNilStringPropertyZeroString();

    /// The local copy: "qt" folder joined with localPath; empty when localPath is unusable.
    [[nodiscard]] QString downloadPath(const QString &library) const;
    /// Where the download is written until it is complete.
    [[nodiscard]] QString partialPath(const QString &library) const;
    /// Bytes of the local copy: the complete file, else the download in progress, else 0.
    [[nodiscard]] quint64 bytesOnDisk(const QString &library) const;
    /// The thumbnail of an image record, under "vn_cache/save_memory_image".
    [[nodiscard]] QString thumbnailPath(const QString &library) const;

    /// The record under its field names (for printing and QML).
    [[nodiscard]] QVariantMap toVariantMap() const;
    [[nodiscard]] QString description() const;

    /// Registers the pointer type and its conversion to QVariantMap (idempotent).
    static void registerMetaTypes();

    quint64 identifier = 0;
    quint64 type = 0;
    QString dt;
    QString path;
    quint64 size = 0;
    QString thumb;
    QString url;
    QString title;
    QString summary;
    QString md5;
    QString localPath;
    quint64 first_id = 0;
    quint64 finishedSize = 0;
    quint64 from = 0;

private:
    friend class QuickTransferRegistry;
    QPointer<QuickTransferRegistry> m_registry;
};

Q_DECLARE_METATYPE(QuickTransferObjectPtr)
