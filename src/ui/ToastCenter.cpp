#include "ToastCenter.h"

#include <algorithm>

ToastCenter::ToastCenter(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ToastCenter::hideToast);
}

void ToastCenter::showToast(const QString &title, const QString &detail, double yOffset,
                            double delay)
{
    if (m_progressVisible) {
        m_progressVisible = false;
        Q_EMIT progressChanged();
    }
    double seconds = 1;
    if (!detail.isEmpty())
        seconds = 3;
    else if (delay > 0)
        seconds = delay;
    m_title = title;
    m_detail = detail;
    m_yOffset = yOffset;
    m_duration = static_cast<int>(std::min(seconds, 60.0) * 1000);
    ++m_serial;
    m_toastVisible = true;
    m_timer.start(m_duration);
    Q_EMIT toastChanged();
}

void ToastCenter::showToast(const QString &title, double delay)
{
    showToast(title, QString(), DefaultOffset, delay);
}

void ToastCenter::showToastAt(const QString &title, double yOffset, double delay)
{
    showToast(title, QString(), yOffset, delay);
}

void ToastCenter::hideToast()
{
    m_timer.stop();
    setToastVisible(false);
}

void ToastCenter::showProgress()
{
    hideToast();
    if (!m_progressVisible) {
        m_progressVisible = true;
        Q_EMIT progressChanged();
    }
}

void ToastCenter::hideProgress()
{
    hideToast();
    if (m_progressVisible) {
        m_progressVisible = false;
        Q_EMIT progressChanged();
    }
    hideLoading();
}

void ToastCenter::showLoading(int type, double yOffset)
{
    m_loadingType = std::clamp(type, 0, 4);
    m_loadingOffset = yOffset;
    Q_EMIT loadingChanged();
}

void ToastCenter::hideLoading()
{
    if (m_loadingType == -1)
        return;
    m_loadingType = -1;
    Q_EMIT loadingChanged();
}

void ToastCenter::setToastVisible(bool visible)
{
    if (m_toastVisible == visible)
        return;
    m_toastVisible = visible;
    Q_EMIT toastChanged();
}
