#include "QuickTransferRegistry.h"

#include "AppCore.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferObject.h"

using namespace Qt::StringLiterals;

namespace {
const QuickTransferObject *recordOf(const QVariantMap &info)
{
    return info.value(u"object"_s).value<QuickTransferObjectPtr>().data();
}
} // namespace

QuickTransferRegistry::QuickTransferRegistry(NotificationCenter &hub)
{
    QuickTransferObject::registerMetaTypes();
    hub.addObserver(this, Notifications::ToObjectDownloadFileReceivedData,
                    [this](const QVariantMap &info) { receivedData(recordOf(info)); });
    hub.addObserver(this, Notifications::QuickTransferSizeChanged,
                    [this](const QVariantMap &info) { sizeChanged(recordOf(info)); });
}

QuickTransferRegistry *QuickTransferRegistry::sharedInstance()
{
    return AppCore::current()->service<QuickTransferRegistry>();
}

void QuickTransferRegistry::track(QuickTransferObject *record)
{
    if (!record || record->m_registry == this)
        return;
    if (record->m_registry)
        record->m_registry->remove(record);
    record->m_registry = this;
    QMutexLocker lock(&m_lock);
    m_records.insert(record);
}

void QuickTransferRegistry::remove(QuickTransferObject *record)
{
    QMutexLocker lock(&m_lock);
    m_records.remove(record);
}

int QuickTransferRegistry::liveCount() const
{
    QMutexLocker lock(&m_lock);
    return int(m_records.size());
}

void QuickTransferRegistry::receivedData(const QuickTransferObject *source)
{
    if (!source)
        return;
    QMutexLocker lock(&m_lock);
    // Unsaved records all have identifier 0 and are not the same row; neither are two records
    // without a local file name.
    for (QuickTransferObject *r : std::as_const(m_records)) {
        if (r == source)
            continue;
        if ((source->identifier && r->identifier == source->identifier) ||
            (!source->localPath.isEmpty() && r->localPath == source->localPath))
            r->finishedSize = source->finishedSize;
    }
}

void QuickTransferRegistry::sizeChanged(const QuickTransferObject *source)
{
    if (!source || !source->identifier)
        return;
    QMutexLocker lock(&m_lock);
    for (QuickTransferObject *r : std::as_const(m_records))
        if (r != source && r->identifier == source->identifier)
            r->size = source->size;
}
