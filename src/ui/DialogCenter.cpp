#include "DialogCenter.h"

DialogCenter::DialogCenter(QObject *parent) : QObject(parent) {}

DialogCenter::Kind DialogCenter::kind() const
{
    return m_requests.empty() ? None : m_requests.front().kind;
}

QString DialogCenter::title() const
{
    return m_requests.empty() ? QString() : m_requests.front().title;
}

QString DialogCenter::message() const
{
    return m_requests.empty() ? QString() : m_requests.front().message;
}

QStringList DialogCenter::buttons() const
{
    return m_requests.empty() ? QStringList() : m_requests.front().buttons;
}

int DialogCenter::destructiveIndex() const
{
    return m_requests.empty() ? -1 : m_requests.front().destructiveIndex;
}

void DialogCenter::alert(const QString &title, const QString &message, const QStringList &buttons,
                         Handler handler, int destructiveIndex)
{
    m_requests.push_back({Alert, title, message, buttons, std::move(handler), destructiveIndex});
    if (m_requests.size() == 1)
        Q_EMIT changed();
}

void DialogCenter::actionSheet(const QString &title, const QStringList &buttons, Handler handler,
                               int destructiveIndex)
{
    m_requests.push_back({Sheet, title, QString(), buttons, std::move(handler), destructiveIndex});
    if (m_requests.size() == 1)
        Q_EMIT changed();
}

void DialogCenter::choose(int index)
{
    if (m_requests.empty() || index < 0 || index >= m_requests.front().buttons.size())
        return;
    Handler handler = std::move(m_requests.front().handler);
    m_requests.pop_front();
    Q_EMIT changed();
    // The handler may ask for the next dialog; it takes its turn after the queued ones.
    if (handler)
        handler(index);
}

void DialogCenter::dismiss()
{
    if (m_requests.empty())
        return;
    choose(int(m_requests.front().buttons.size()) - 1);
}
