#pragma once

#include <QMutex>
#include <QObject>
#include <QSet>

class NotificationCenter;
class QuickTransferObject;

/// The live records of the running core. Several records can stand for one row (the list's copy,
/// the transfer screen's, the download manager's); when one of them receives data or learns its
/// true size, the others with the same row copy it. One hub observer serves every record, so
/// thousands of live records cost nothing per notification beyond one pass over them.
class QuickTransferRegistry : public QObject
{
    Q_OBJECT
public:
    /// Mirrors what @p hub reports of one record into the other live records of its row.
    explicit QuickTransferRegistry(NotificationCenter &hub);

    [[nodiscard]] static QuickTransferRegistry *sharedInstance();

    /// Tracks @p record until it is destroyed.
    void track(QuickTransferObject *record);
    void remove(QuickTransferObject *record);
    [[nodiscard]] int liveCount() const;

private:
    void receivedData(const QuickTransferObject *source);
    void sizeChanged(const QuickTransferObject *source);

    mutable QMutex m_lock;
    QSet<QuickTransferObject *> m_records;
};
