#pragma once

#include "QuickTransferObject.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>

class DataBaseMethod;
class FolderAccess;
class NotificationCenter;
class QuickTransferRegistry;

/// The history of received quick-transfer records. Created and opened on the "initQueue" at
/// start-up and used from the main thread: every call holds one lock around the connection, so
/// a call made while the open is still running waits for it (or opens the store itself when
/// nothing has yet). readQuickTransfer() reads on the thread that opened the store instead, so
/// that the main thread never waits for the history. Saves, deletions and size updates arrive
/// as hub notifications; a save that fails posts "notification_quicktransfer_save_failed" with
/// the record and the reason.
class DataBaseCenter : public QObject
{
    Q_OBJECT
public:
    /// The store of the Library folder @p libraryPath, observing @p hub; the records it loads are
    /// tracked by @p registry. @p folders tells whether a store of the earlier layout may be
    /// brought over (none is without it). Created on the main thread; open() may run on another.
    DataBaseCenter(NotificationCenter &hub, const QString &libraryPath,
                   QuickTransferRegistry *registry, const FolderAccess *folders);
    ~DataBaseCenter() override;

    [[nodiscard]] static DataBaseCenter *sharedInstance();

    /// Opens the store unless it is open already; safe from any thread.
    void open();
    [[nodiscard]] bool isOpen();

    /// All stored records, newest first.
    [[nodiscard]] QList<QuickTransferObjectPtr> getQuickTransfer();
    /// What readQuickTransfer() hands back: whether the store is open, and its records (all of
    /// them when complete, else only the newest).
    struct History
    {
        bool isOpen = false;
        bool complete = true;
        QList<QuickTransferObjectPtr> records;
    };
    /// Reads every stored record off the calling thread: on the thread that opened the store
    /// (the "initQueue"), once open() has run there, in the order asked. @p done then runs on
    /// this object's (the main) thread, unless @p context is gone by then. A store opened on
    /// the main thread reads there, still after this call has returned. With @p newest, only
    /// the newest @p newest records are read, and the history is not complete when there are
    /// more.
    void readQuickTransfer(QObject *context, std::function<void(const History &)> done,
                           int newest = 0);
    bool deleteQuickTransferByIdArray(const QList<quint64> &ids);
    [[nodiscard]] bool isLocalPathReferenced(const QString &localPath);
    /// Inserts @p record and gives it its row id; false (identifier untouched) on failure, with
    /// the reason in @p error when given.
    bool saveQuickTransfer(QuickTransferObject *record, QString *error = nullptr);
    bool updateQuickTransferSize(const QuickTransferObject &record);
    /// Deletes the rows and then every local file that no remaining row names. Returns the
    /// names of the removed files; @p deleted, when given, tells whether the rows went.
    QStringList deleteRecordsAndUnreferencedFiles(const QList<quint64> &ids,
                                                  bool *deleted = nullptr);

private:
    void registerObservers();
    DataBaseMethod &method();
    /// The read of readQuickTransfer(), run where it is due.
    std::function<void()> historyRead(QObject *context, std::function<void(const History &)> done,
                                      int newest);
    void track(const QList<QuickTransferObjectPtr> &records);

    std::recursive_mutex m_lock;
    std::unique_ptr<DataBaseMethod> m_method;
    NotificationCenter &m_hub;
    QString m_libraryPath;
    QuickTransferRegistry *m_registry;
    const FolderAccess *m_folders;
    // Guards only where reads go, so that asking for one never waits for the store's lock.
    std::mutex m_readLock;
    // Lives on the thread that opened the store; reads are queued to it.
    QObject *m_reader = nullptr;
    bool m_opened = false;
    // Reads asked before the store was opened.
    QList<std::function<void()>> m_pendingReads;
};
