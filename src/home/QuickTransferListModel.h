#pragma once

#include "QuickTransferObject.h"

#include <QAbstractListModel>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QSet>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class NotificationCenter;
class QQuickImageProvider;
class SaveMemoryImageLoader;

/// The rows of the main list. A row is one record with first_id 0 that passes the type filter,
/// shown with its group: every record whose first_id or identifier is that record's identifier,
/// in list order (the later images first, the group head last). A group of two or more is an
/// image group. One empty spacer row follows the last. Progress and finished downloads change
/// the rows they concern through dataChanged; only a new list or filter rebuilds the rows (a
/// list that keeps the rows shown and has more after them adds those).
class QuickTransferListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the main screen")
    /// The number of record rows (the spacer row not counted).
    Q_PROPERTY(int recordRowCount READ recordRowCount NOTIFY recordRowCountChanged)
public:
    enum Role {
        KindRole = Qt::UserRole + 1, ///< "link", "folder", "text", "document", "video", "image",
                                     ///< "music", "imageGroup", "spacer"
        IconRole,                    ///< the kind's icon
        TitleRole,                   ///< the name, the text, the link's title
        SubtitleRole,                ///< the address, the size text or the download progress
        DetailRole,                  ///< a video's second subtitle: its address
        RowHeightRole,               ///< the row's height in points
        ProgressRole,                ///< the downloaded fraction the overlay covers (0: none)
        PicturesRole,                ///< addresses of the pictures shown (at most three)
        CountTextRole,               ///< "%lu张" of a group of three or more, else ""
        SelectedRole,                ///< whether the row is selected
        IdentifierRole,              ///< the head record's identifier
    };
    Q_ENUM(Role)

    /// The kinds of row, as KindRole names them.
    enum class Kind { Link, Folder, Text, Document, Video, Image, Music, ImageGroup, Spacer };

    /// The image provider's name in "image://quicktransfer/...".
    static constexpr const char *ProviderId = "quicktransfer";
    /// The spacer row's height.
    static constexpr int SpacerHeight = 115;
    /// At most this many characters of a text are shown in its row and measured for its height;
    /// a row is at most five lines tall, so more never changes it.
    static constexpr int RowTextLimit = 2000;

    /// Rows observe download progress on @p hub. Pictures of complete images come from
    /// @p loader (none when null).
    explicit QuickTransferListModel(NotificationCenter *hub, SaveMemoryImageLoader *loader,
                                    QObject *parent = nullptr);
    ~QuickTransferListModel() override;

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    /// Rebuilds the rows from @p records (newest first) and @p filterType (0: all kinds); when
    /// the rows shown are the first of the new ones, the others are inserted after them.
    void setRecords(const QList<QuickTransferObjectPtr> &records, quint64 filterType);
    [[nodiscard]] int recordRowCount() const { return int(m_rows.size()); }
    /// The records of row @p row: its group, in list order (empty for the spacer).
    [[nodiscard]] QList<QuickTransferObjectPtr> groupAt(int row) const;
    /// The record that makes row @p row (the group's head), or null.
    [[nodiscard]] QuickTransferObjectPtr headAt(int row) const;
    [[nodiscard]] Kind kindAt(int row) const;
    /// The type a tap on the row's icon filters by (an image group filters images).
    [[nodiscard]] quint64 filterTypeAt(int row) const;

    /// Selection marks of the rows.
    void setSelected(int row, bool selected);
    void setAllSelected(bool selected);
    [[nodiscard]] bool isSelected(int row) const { return m_selected.contains(row); }
    [[nodiscard]] int selectedCount() const { return int(m_selected.size()); }
    [[nodiscard]] QList<int> selectedRows() const;

    /// The provider to add to an engine for the rows' pictures; the engine owns it.
    [[nodiscard]] QQuickImageProvider *createImageProvider();
    /// A picture held for the rows, by the key of its address.
    [[nodiscard]] QImage picture(const QString &key) const;
    /// The address of @p record's picture under the provider, for screens other than the rows:
    /// "" until it is held, and then pictureChanged() tells. The load goes through the same
    /// capped loader as the rows' and starts only for a complete image.
    [[nodiscard]] QString pictureAddress(const QuickTransferObject &record) const;

    /// The kind of a record's row.
    [[nodiscard]] static Kind kindOf(const QuickTransferObject &record);
    /// The height of a group's row, the text measured on its first RowTextLimit characters.
    [[nodiscard]] static int rowHeight(const QList<QuickTransferObjectPtr> &group);

    /// Pictures kept for display, shared with the image providers (which the engine may query
    /// from its threads). The oldest go first when more than Capacity are held.
    struct PictureStore
    {
        static constexpr int Capacity = 48;
        mutable QMutex mutex;
        QHash<QString, QImage> images;
        QList<QString> order;
    };

Q_SIGNALS:
    void recordRowCountChanged();
    /// The picture of record @p identifier has loaded at @p address, or could not be read
    /// (@p address "").
    void pictureChanged(quint64 identifier, const QString &address);

private:
    struct Row
    {
        QList<QuickTransferObjectPtr> group;
        Kind kind = Kind::Spacer;
        mutable int height = -1;
    };
    enum class PictureState { Idle, Loading, Shown };
    struct Picture
    {
        PictureState state = PictureState::Idle;
        QString key;
    };

    void progressChanged(const QVariantMap &info, bool finished);
    QVariantList picturesOf(const Row &row) const;
    void pictureLoaded(const QString &token, const QImage &image);
    void pictureSkipped(const QString &token);
    void rowsOfRecordChanged(quint64 identifier, const QList<int> &roles);

    QPointer<SaveMemoryImageLoader> m_loader;
    QList<Row> m_rows;
    QHash<quint64, int> m_rowOfRecord;
    QSet<int> m_selected;
    // Pictures by record identifier; loads by token.
    mutable QHash<quint64, Picture> m_pictures;
    mutable QHash<QString, quint64> m_loads;
    std::shared_ptr<PictureStore> m_store;
};
