#include "DataBaseCenter.h"

#include "AppCore.h"
#include "DataBaseMethod.h"
#include "LocalFiles.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"

#include <QFile>
#include <QThread>

using namespace Qt::StringLiterals;

DataBaseCenter::DataBaseCenter() : m_libraryPath(AppCore::current()->libraryPath())
{
    QuickTransferObject::registerMetaTypes();
    NotificationCenter *hub = NotificationCenter::defaultCenter();
    if (QThread::currentThread() == hub->thread()) {
        registerObservers();
    } else {
        // Made on the "initQueue": live on the hub's thread and register there.
        moveToThread(hub->thread());
        QMetaObject::invokeMethod(this, &DataBaseCenter::registerObservers, Qt::QueuedConnection);
    }
}

DataBaseCenter::~DataBaseCenter() = default;

DataBaseCenter *DataBaseCenter::sharedInstance()
{
    return AppCore::current()->service<DataBaseCenter>();
}

void DataBaseCenter::registerObservers()
{
    NotificationCenter *hub = NotificationCenter::defaultCenter();
    hub->addObserver(this, Notifications::SaveQuickTransfer, [this](const QVariantMap &info) {
        const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
        if (record && saveQuickTransfer(record.data()))
            NotificationCenter::defaultCenter()->post(Notifications::QuickTransferSaved,
                                                      {{u"object"_s, info.value(u"object"_s)}});
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
        NotificationCenter::defaultCenter()->post(Notifications::RefreshQuickTransferList);
    });
    hub->addObserver(this, Notifications::QuickTransferSizeChanged,
                     [this](const QVariantMap &info) {
                         const auto record =
                             info.value(u"object"_s).value<QuickTransferObjectPtr>();
                         if (record)
                             updateQuickTransferSize(*record);
                     });
}

void DataBaseCenter::open()
{
    std::lock_guard lock(m_lock);
    if (!m_method)
        m_method = std::make_unique<DataBaseMethod>(m_libraryPath);
}

DataBaseMethod &DataBaseCenter::method()
{
    if (!m_method)
        m_method = std::make_unique<DataBaseMethod>(m_libraryPath);
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
    return method().getQuickTransfer();
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

bool DataBaseCenter::saveQuickTransfer(QuickTransferObject *record)
{
    std::lock_guard lock(m_lock);
    return method().saveQuickTransfer(record);
}

bool DataBaseCenter::updateQuickTransferSize(const QuickTransferObject &record)
{
    std::lock_guard lock(m_lock);
    return method().updateQuickTransferSize(record);
}

QStringList DataBaseCenter::deleteRecordsAndUnreferencedFiles(const QList<quint64> &ids)
{
    std::lock_guard lock(m_lock);
    DataBaseMethod &db = method();
    const QStringList names = db.localPathsOf(ids);
    QStringList removed;
    if (!db.deleteQuickTransferByIdArray(ids))
        return removed;
    const QString folder = AppCore::current()->libraryPath(u"qt"_s);
    for (const QString &name : names) {
        if (db.isLocalPathReferenced(name))
            continue;
        const QString path = LocalFiles::safeLocalPath(folder, name);
        if (!path.isEmpty() && QFile::remove(path))
            removed << name;
    }
    return removed;
}
