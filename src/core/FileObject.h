#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QVariant>

/// One entry of a PC listing: a file, a folder, the desktop or a drive.
class FileObject
{
    Q_GADGET
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(quint64 type MEMBER type)
    Q_PROPERTY(quint64 size MEMBER size)
    Q_PROPERTY(quint64 time MEMBER time)
    Q_PROPERTY(QString thumb MEMBER thumb)
public:
    /// Entry kinds of a listing.
    enum Type : quint64 { File = 0, Folder = 1, Drive = 2, DriveOther = 3 };

    FileObject() = default;
    /// Builds the record of one listing entry; anything but a JSON object gives an empty file.
    explicit FileObject(const QVariant &entry);

    /// The record as a map under the field names (for printing and QML).
    [[nodiscard]] QVariantMap toVariantMap() const;
    [[nodiscard]] QString description() const;

    QString name;
    QString path;
    QString remotePath;
    quint64 type = File;
    quint64 time = 0;
    quint64 last_modify = 0;
    quint64 size = 0;
    QString desc;
    QString thumb;
    QString asset;
};

using FileObjectPtr = QSharedPointer<FileObject>;
Q_DECLARE_METATYPE(FileObjectPtr)
