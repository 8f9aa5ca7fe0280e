#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

/// A named worker thread that runs submitted tasks one after another, in submission order.
/// Destruction waits for the tasks already submitted.
class SerialQueue
{
public:
    explicit SerialQueue(const QString &name);
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    [[nodiscard]] QString name() const { return m_name; }
    void dispatch(std::function<void()> task);
    /// Blocks until every task submitted before this call has run.
    void waitUntilIdle();
    [[nodiscard]] bool isCurrent() const { return QThread::currentThread() == &m_thread; }
    /// The queue's thread, for objects that are to live on it (moveToThread) and take events
    /// there between tasks.
    [[nodiscard]] QThread *thread() { return &m_thread; }

private:
    QString m_name;
    QThread m_thread;
    QObject *m_context;
};
