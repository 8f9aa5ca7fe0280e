#include "QuickTransferListModel.h"

#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferRowText.h"
#include "QuickTransferUtils.h"
#include "SaveMemoryImageLoader.h"

#include <QMutexLocker>
#include <QQuickImageProvider>

using namespace Qt::StringLiterals;

namespace {

// Pictures are kept at most this tall in pixels: a row shows them at most 176 points high.
constexpr int kPictureHeight = 420;

class PictureProvider : public QQuickImageProvider
{
public:
    explicit PictureProvider(std::weak_ptr<QuickTransferListModel::PictureStore> store)
        : QQuickImageProvider(QQuickImageProvider::Image), m_store(std::move(store))
    {
    }
    QImage requestImage(const QString &id, QSize *size, const QSize &) override
    {
        QImage image;
        if (auto store = m_store.lock()) {
            QMutexLocker lock(&store->mutex);
            image = store->images.value(id);
        }
        if (size)
            *size = image.size();
        return image;
    }

private:
    std::weak_ptr<QuickTransferListModel::PictureStore> m_store;
};

QString kindName(QuickTransferListModel::Kind kind)
{
    using Kind = QuickTransferListModel::Kind;
    switch (kind) {
    case Kind::Link:
        return u"link"_s;
    case Kind::Folder:
        return u"folder"_s;
    case Kind::Text:
        return u"text"_s;
    case Kind::Document:
        return u"document"_s;
    case Kind::Video:
        return u"video"_s;
    case Kind::Image:
        return u"image"_s;
    case Kind::Music:
        return u"music"_s;
    case Kind::ImageGroup:
        return u"imageGroup"_s;
    case Kind::Spacer:
        break;
    }
    return u"spacer"_s;
}

} // namespace

QuickTransferListModel::QuickTransferListModel(NotificationCenter *hub,
                                               SaveMemoryImageLoader *loader, QObject *parent)
    : QAbstractListModel(parent), m_loader(loader), m_store(std::make_shared<PictureStore>())
{
    if (hub) {
        hub->addObserver(this, Notifications::DownloadFileReceivedData,
                         [this](const QVariantMap &info) { progressChanged(info, false); });
        hub->addObserver(this, Notifications::DownloadFileFinished,
                         [this](const QVariantMap &info) { progressChanged(info, true); });
    }
    if (loader) {
        connect(loader, &SaveMemoryImageLoader::imageLoaded, this,
                &QuickTransferListModel::pictureLoaded);
        connect(loader, &SaveMemoryImageLoader::loadSkipped, this,
                &QuickTransferListModel::pictureSkipped);
    }
}

QuickTransferListModel::~QuickTransferListModel() = default;

int QuickTransferListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size()) + 1;
}

QuickTransferListModel::Kind QuickTransferListModel::kindOf(const QuickTransferObject &record)
{
    switch (record.type) {
    case QuickTransferTypeLink:
        return Kind::Link;
    case QuickTransferTypeFolder:
        return Kind::Folder;
    case QuickTransferTypeText:
        return Kind::Text;
    case QuickTransferTypeVideo:
        return Kind::Video;
    case QuickTransferTypeImage:
        return Kind::Image;
    case QuickTransferTypeMusic:
        return Kind::Music;
    default:
        // Any other code (an unknown file kind) is shown as a document.
        return Kind::Document;
    }
}

int QuickTransferListModel::rowHeight(const QList<QuickTransferObjectPtr> &group)
{
    if (group.size() == 1 && group.first()->type == QuickTransferTypeText) {
        const QString &text = group.first()->dt;
        return QuickTransferUtils::textRowHeight(QuickTransferUtils::measureText(
            text.size() > RowTextLimit ? text.left(RowTextLimit) : text));
    }
    if (group.size() == 1 && kindOf(*group.first()) == Kind::Document)
        return 75;
    return QuickTransferUtils::getCellHeight(group);
}

void QuickTransferListModel::setRecords(const QList<QuickTransferObjectPtr> &records,
                                        quint64 filterType)
{
    // Every record's group is the identifier it names in first_id, else its own.
    QHash<quint64, QList<QuickTransferObjectPtr>> groups;
    groups.reserve(records.size());
    for (const QuickTransferObjectPtr &r : records) {
        if (!r)
            continue;
        groups[r->first_id != 0 ? r->first_id : r->identifier].append(r);
    }
    QList<Row> rows;
    QHash<quint64, int> rowOfRecord;
    rows.reserve(records.size());
    for (const QuickTransferObjectPtr &r : records) {
        if (!r || r->first_id != 0 || (filterType != 0 && r->type != filterType))
            continue;
        Row row;
        row.group = groups.value(r->identifier);
        // A record with identifier 0 has not been stored: it is its own group.
        if (r->identifier == 0)
            row.group = {r};
        row.kind = row.group.size() > 1 ? Kind::ImageGroup : kindOf(*r);
        for (const QuickTransferObjectPtr &member : std::as_const(row.group))
            rowOfRecord.insert(member->identifier, int(rows.size()));
        rows.append(std::move(row));
    }

    // The rest of a list whose first rows are shown (the newest records, read first) is added
    // after them, so that the rows already made stay.
    const qsizetype shown = m_rows.size();
    bool extends = shown > 0 && rows.size() > shown;
    for (qsizetype i = 0; extends && i < shown; ++i)
        extends = rows[i].kind == m_rows[i].kind &&
                  rows[i].group.size() == m_rows[i].group.size() &&
                  rows[i].group.last()->identifier == m_rows[i].group.last()->identifier;
    if (extends) {
        for (qsizetype i = 0; i < shown; ++i)
            rows[i].height = m_rows[i].height;
        beginInsertRows({}, int(shown), int(rows.size()) - 1);
        m_rows = std::move(rows);
        m_rowOfRecord = std::move(rowOfRecord);
        endInsertRows();
        Q_EMIT dataChanged(index(0), index(int(shown) - 1));
        Q_EMIT recordRowCountChanged();
        return;
    }

    beginResetModel();
    m_rows = std::move(rows);
    m_rowOfRecord = std::move(rowOfRecord);
    m_selected.clear();
    m_loads.clear();
    // Pictures of records no longer listed are forgotten; the shown ones stay for the rows.
    for (auto it = m_pictures.begin(); it != m_pictures.end();) {
        if (!m_rowOfRecord.contains(it.key()) || it->state != PictureState::Shown)
            it = m_pictures.erase(it);
        else
            ++it;
    }
    endResetModel();
    Q_EMIT recordRowCountChanged();
}

QList<QuickTransferObjectPtr> QuickTransferListModel::groupAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].group : QList<QuickTransferObjectPtr>();
}

QuickTransferObjectPtr QuickTransferListModel::headAt(int row) const
{
    const auto group = groupAt(row);
    return group.isEmpty() ? QuickTransferObjectPtr() : group.last();
}

QuickTransferListModel::Kind QuickTransferListModel::kindAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].kind : Kind::Spacer;
}

quint64 QuickTransferListModel::filterTypeAt(int row) const
{
    if (kindAt(row) == Kind::ImageGroup)
        return QuickTransferTypeImage;
    const auto head = headAt(row);
    return head ? head->type : 0;
}

QVariant QuickTransferListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int r = index.row();
    if (r == m_rows.size()) {
        switch (role) {
        case KindRole:
            return kindName(Kind::Spacer);
        case RowHeightRole:
            return SpacerHeight;
        case ProgressRole:
            return 0.0;
        case SelectedRole:
            return false;
        case PicturesRole:
            return QVariantList();
        case IdentifierRole:
            return 0;
        case Qt::DisplayRole:
        case TitleRole:
        case IconRole:
        case SubtitleRole:
        case DetailRole:
        case CountTextRole:
            return QString();
        default:
            return {};
        }
    }
    const Row &row = m_rows[r];
    const QuickTransferObject &head = *row.group.last();
    const std::optional<double> rate = QuickTransferRowText::downloadRate(row.group);
    const bool downloading = rate && *rate > 0 && *rate < 1;
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole: {
        if (row.kind == Kind::ImageGroup || row.kind == Kind::Image)
            return QString();
        const QString title = QuickTransferRowText::titleOf(head);
        return title.size() > RowTextLimit ? title.left(RowTextLimit) : title;
    }
    case KindRole:
        return kindName(row.kind);
    case IconRole:
        return row.kind == Kind::ImageGroup ? u"qt_icon_image.png"_s
                                            : QuickTransferRowText::iconOf(head);
    case SubtitleRole:
        if (row.kind == Kind::Link)
            return head.url;
        if (row.kind == Kind::Text)
            return QString();
        if (downloading)
            return *QuickTransferRowText::progressText(*rate);
        if (row.kind == Kind::ImageGroup || row.kind == Kind::Image)
            return QString();
        return QuickTransferRowText::sizeText(head);
    case DetailRole:
        return row.kind == Kind::Video ? head.url : QString();
    case RowHeightRole:
        if (row.height < 0)
            row.height = rowHeight(row.group);
        return row.height;
    case ProgressRole:
        return downloading ? *rate : 0.0;
    case PicturesRole:
        return picturesOf(row);
    case CountTextRole:
        return row.group.size() >= 3 ? tr("%1张").arg(row.group.size()) : QString();
    case SelectedRole:
        return m_selected.contains(r);
    case IdentifierRole:
        return head.identifier;
    default:
        return {};
    }
}

QVariantList QuickTransferListModel::picturesOf(const Row &row) const
{
    QVariantList pictures;
    if (row.kind != Kind::Image && row.kind != Kind::ImageGroup)
        return pictures;
    const int shown = int(std::min<qsizetype>(row.group.size(), 3));
    for (int i = 0; i < shown; ++i)
        pictures << pictureAddress(*row.group[i]);
    return pictures;
}

QString QuickTransferListModel::pictureAddress(const QuickTransferObject &record) const
{
    Picture &picture = m_pictures[record.identifier];
    if (picture.state == PictureState::Idle && m_loader && record.type == QuickTransferTypeImage &&
        record.finishedSize >= record.size) {
        // Scaled where it is loaded: the main thread only hands the picture to its row.
        const QString token = m_loader->load(record, kPictureHeight);
        if (!token.isEmpty()) {
            picture.state = PictureState::Loading;
            m_loads.insert(token, record.identifier);
        }
    }
    return picture.state == PictureState::Shown
               ? QString(u"image://"_s + QLatin1StringView(ProviderId) + u'/' + picture.key)
               : QString();
}

void QuickTransferListModel::pictureLoaded(const QString &token, const QImage &image)
{
    const auto it = m_loads.constFind(token);
    if (it == m_loads.cend())
        return;
    const quint64 id = *it;
    m_loads.erase(it);
    static int serial = 0;
    const QString key = u"%1-%2"_s.arg(id).arg(++serial);
    {
        QMutexLocker lock(&m_store->mutex);
        m_store->images.insert(key, image);
        m_store->order.append(key);
        while (m_store->order.size() > PictureStore::Capacity) {
            const QString old = m_store->order.takeFirst();
            m_store->images.remove(old);
            // The row of a picture pushed out loads it again when it is next shown.
            for (auto p = m_pictures.begin(); p != m_pictures.end(); ++p)
                if (p->key == old) {
                    *p = Picture();
                    break;
                }
        }
    }
    m_pictures[id] = {PictureState::Shown, key};
    rowsOfRecordChanged(id, {PicturesRole});
    Q_EMIT pictureChanged(id, u"image://"_s + QLatin1StringView(ProviderId) + u'/' + key);
}

void QuickTransferListModel::pictureSkipped(const QString &token)
{
    const auto it = m_loads.constFind(token);
    if (it == m_loads.cend())
        return;
    // A missing or damaged file shows no picture. The row asks again only when it is shown
    // anew (a load pushed out by newer ones then succeeds).
    const quint64 id = *it;
    m_pictures[id].state = PictureState::Idle;
    m_loads.erase(it);
    Q_EMIT pictureChanged(id, QString());
}

void QuickTransferListModel::rowsOfRecordChanged(quint64 identifier, const QList<int> &roles)
{
    const auto it = m_rowOfRecord.constFind(identifier);
    if (it == m_rowOfRecord.cend())
        return;
    const QModelIndex i = index(*it);
    Q_EMIT dataChanged(i, i, roles);
}

void QuickTransferListModel::progressChanged(const QVariantMap &info, bool finished)
{
    const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
    if (!record)
        return;
    if (finished) {
        rowsOfRecordChanged(record->identifier, {SubtitleRole, ProgressRole, PicturesRole});
    } else {
        rowsOfRecordChanged(record->identifier, {SubtitleRole, ProgressRole});
    }
}

void QuickTransferListModel::setSelected(int row, bool selected)
{
    if (row < 0 || row >= m_rows.size() || m_selected.contains(row) == selected)
        return;
    if (selected)
        m_selected.insert(row);
    else
        m_selected.remove(row);
    const QModelIndex i = index(row);
    Q_EMIT dataChanged(i, i, {SelectedRole});
}

void QuickTransferListModel::setAllSelected(bool selected)
{
    if (m_rows.isEmpty())
        return;
    m_selected.clear();
    if (selected)
        for (int i = 0; i < m_rows.size(); ++i)
            m_selected.insert(i);
    Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {SelectedRole});
}

QList<int> QuickTransferListModel::selectedRows() const
{
    QList<int> rows(m_selected.cbegin(), m_selected.cend());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QHash<int, QByteArray> QuickTransferListModel::roleNames() const
{
    return {
        {KindRole, "kind"},         {IconRole, "kindIcon"},         {TitleRole, "title"},
        {SubtitleRole, "subtitle"}, {DetailRole, "detail"},         {RowHeightRole, "rowHeight"},
        {ProgressRole, "progress"}, {PicturesRole, "pictures"},     {CountTextRole, "countText"},
        {SelectedRole, "selected"}, {IdentifierRole, "identifier"},
    };
}

QQuickImageProvider *QuickTransferListModel::createImageProvider()
{
    return new PictureProvider(m_store);
}

QImage QuickTransferListModel::picture(const QString &key) const
{
    QMutexLocker lock(&m_store->mutex);
    return m_store->images.value(key);
}
