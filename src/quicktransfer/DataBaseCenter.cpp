#include "DataBaseCenter.h"

#include "AppCore.h"
#include "DataBaseMethod.h"
#include "LocalFiles.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferRegistry.h"

#include <QDir>
#include <QFile>
#include <QThread>

using namespace Qt::StringLiterals;

DataBaseCenter::DataBaseCenter(NotificationCenter &hub, const QString &libraryPath,
                               QuickTransferRegistry *registry, const FolderAccess *folders)
    : m_hub(hub), m_libraryPath(libraryPath), m_registry(registry), m_folders(folders)
{
    QuickTransferObject::registerMetaTypes();
    registerObservers();
}

DataBaseCenter::~DataBaseCenter()
{
    // Its thread has run every read queued to it: the owner waits for its queues first.
    if (m_reader)
        m_reader->deleteLater();
}

DataBaseCenter *DataBaseCenter::sharedInstance()
{
    return AppCore::current()->service<DataBaseCenter>();
}

void DataBaseCenter::registerObservers()
{
    NotificationCenter *hub = &m_hub;
    hub->addObserver(this, Notifications::SaveQuickTransfer, [this](const QVariantMap &info) {
        const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
        if (!record)
            return;
        // The poster reads the outcome right after posting: an identifier, or none and this.
        QString error;
        if (saveQuickTransfer(record.data(), &error))
            m_hub.post(Notifications::QuickTransferSaved, {{u"object"_s, info.value(u"object"_s)}});
        else
            m_hub.post(Notifications::QuickTransferSaveFailed,
                       {{u"object"_s, info.value(u"object"_s)}, {u"error"_s, error}});
    });
    hub->addObserver(this, Notifications::DeleteQuickTransfer, [this](const QVariantMap &info) {
        const QVariant ids = info.value(u"arrayId"_s);
        if (ids.typeId() == QMetaType::QVariantList || ids.typeId() == QMetaType::QStringList) {
            QList<quint64> list;
            for (const QVariant &v : ids.toList()) {
                bool ok = false;
                const quint64 id = v.toULongLong(&ok);
                if (ok)
                    list << id;
            }
            deleteQuickTransferByIdArray(list);
        }
        m_hub.post(Notifications::RefreshQuickTransferList);
    });
    hub->addObserver(
        this, Notifications::QuickTransferSizeChanged, [this](const QVariantMap &info) {
            const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
            if (record)
                updateQuickTransferSize(*record);
        });
}

void DataBaseCenter::open()
{
    {
        std::lock_guard lock(m_lock);
        if (!m_method)
            m_method = std::make_unique<DataBaseMethod>(m_libraryPath, m_folders);
    }
    QList<std::function<void()>> pending;
    {
        std::lock_guard lock(m_readLock);
        if (!m_reader && QThread::currentThread() != thread())
            m_reader = new QObject;
        m_opened = true;
        pending.swap(m_pendingReads);
    }
    // Reads asked while the store was opening run now, before any asked later.
    for (const auto &read : std::as_const(pending))
        read();
}

DataBaseMethod &DataBaseCenter::method()
{
    if (!m_method)
        m_method = std::make_unique<DataBaseMethod>(m_libraryPath, m_folders);
    return *m_method;
}

bool DataBaseCenter::isOpen()
{
    std::lock_guard lock(m_lock);
    return method().isOpen();
}

QList<QuickTransferObjectPtr> DataBaseCenter::getQuickTransfer()
{
    std::lock_guard lock(m_lock);
    QList<QuickTransferObjectPtr> records = method().getQuickTransfer();
    track(records);
    return records;
}

void DataBaseCenter::track(const QList<QuickTransferObjectPtr> &records)
{
    if (m_registry)
        for (const QuickTransferObjectPtr &r : records)
            m_registry->track(r.data());
}

void DataBaseCenter::readQuickTransfer(QObject *context, std::function<void(const History &)> done,
                                       int newest)
{
    std::function<void()> read = historyRead(context, std::move(done), newest);
    std::lock_guard lock(m_readLock);
    if (m_reader)
        QMetaObject::invokeMethod(m_reader, std::move(read), Qt::QueuedConnection);
    else if (m_opened)
        QMetaObject::invokeMethod(this, std::move(read), Qt::QueuedConnection);
    else
        m_pendingReads << std::move(read);
}

std::function<void()>
DataBaseCenter::historyRead(QObject *context, std::function<void(const History &)> done, int newest)
{
    return [this, asker = QPointer<QObject>(context), done = std::move(done), newest] {
        auto history = std::make_shared<History>();
        {
            std::lock_guard lock(m_lock);
            history->isOpen = isOpen();
            if (history->isOpen && newest > 0) {
                history->records = method().getNewestQuickTransfer(newest);
                track(history->records);
                history->complete = history->records.size() < newest;
            } else if (history->isOpen) {
                history->records = getQuickTransfer();
            }
        }
        QMetaObject::invokeMethod(
            this,
            [asker, done, history] {
                if (asker)
                    done(*history);
            },
            Qt::QueuedConnection);
    };
}

bool DataBaseCenter::deleteQuickTransferByIdArray(const QList<quint64> &ids)
{
    std::lock_guard lock(m_lock);
    return method().deleteQuickTransferByIdArray(ids);
}

bool DataBaseCenter::isLocalPathReferenced(const QString &localPath)
{
    std::lock_guard lock(m_lock);
    return method().isLocalPathReferenced(localPath);
}

bool DataBaseCenter::saveQuickTransfer(QuickTransferObject *record, QString *error)
{
    std::lock_guard lock(m_lock);
    const bool saved = method().saveQuickTransfer(record);
    if (!saved && error)
        *error = method().lastError();
    return saved;
}

bool DataBaseCenter::updateQuickTransferSize(const QuickTransferObject &record)
{
    std::lock_guard lock(m_lock);
    return method().updateQuickTransferSize(record);
}

QStringList DataBaseCenter::deleteRecordsAndUnreferencedFiles(const QList<quint64> &ids,
                                                              bool *deleted)
{
    std::lock_guard lock(m_lock);
    DataBaseMethod &db = method();
    const QStringList names = db.localPathsOf(ids);
    QStringList removed;
    const bool rowsDeleted = db.isOpen() && db.deleteQuickTransferByIdArray(ids);
    if (deleted)
        *deleted = rowsDeleted;
    if (!rowsDeleted)
        return removed;
    const QString folder = QDir(m_libraryPath).filePath(u"qt"_s);
    for (const QString &name : names) {
        if (db.isLocalPathReferenced(name))
            continue;
        const QString path = LocalFiles::safeLocalPath(folder, name);
        if (!path.isEmpty() && QFile::remove(path))
            removed << name;
    }
    return removed;
}
