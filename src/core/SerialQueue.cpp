#include "SerialQueue.h"

#include <QSemaphore>

SerialQueue::SerialQueue(const QString &name) : m_name(name), m_context(new QObject)
{
    m_thread.setObjectName(name);
    m_context->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start();
}

SerialQueue::~SerialQueue()
{
    waitUntilIdle();
    m_thread.quit();
    m_thread.wait();
}

void SerialQueue::dispatch(std::function<void()> task)
{
    QMetaObject::invokeMethod(m_context, std::move(task), Qt::QueuedConnection);
}

void SerialQueue::waitUntilIdle()
{
    if (isCurrent() || !m_thread.isRunning())
        return;
    QSemaphore done;
    dispatch([&done] { done.release(); });
    done.acquire();
}
