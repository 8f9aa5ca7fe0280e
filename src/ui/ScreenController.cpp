#include "ScreenController.h"

#include "RuntimeState.h"

#include <QTimerEvent>

ScreenController::ScreenController(QObject *parent) : QObject(parent) {}

void ScreenController::back()
{
    setClosing(true);
}

void ScreenController::closeFinished()
{
    if (m_closed)
        return;
    m_closed = true;
    Q_EMIT closed();
}

void ScreenController::setTitle(const QString &title)
{
    if (m_title == title)
        return;
    m_title = title;
    Q_EMIT titleChanged();
}

void ScreenController::setClosing(bool closing)
{
    if (m_closing == closing)
        return;
    m_closing = closing;
    Q_EMIT closingChanged();
}

ItemButtonScreenController::ItemButtonScreenController(RuntimeState *state, int itemCount,
                                                       QObject *parent)
    : ScreenController(parent), m_state(state), m_itemCount(itemCount)
{
}

void ItemButtonScreenController::showInView()
{
    if (m_state)
        m_state->setIsMainViewCovered(true);
    m_direction = 1;
    if (!m_timer)
        m_timer = startTimer(StepMs);
}

void ItemButtonScreenController::back()
{
    if (m_direction == -1 || isClosing())
        return;
    if (m_state)
        m_state->setIsMainViewCovered(false);
    m_direction = -1;
    if (!m_timer)
        m_timer = startTimer(StepMs);
}

void ItemButtonScreenController::coverClosed()
{
    Q_EMIT itemsRestored();
}

void ItemButtonScreenController::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer)
        step();
}

void ItemButtonScreenController::step()
{
    const int next = m_itemsShown + m_direction;
    if (next < 0 || next > m_itemCount) {
        killTimer(m_timer);
        m_timer = 0;
        // Every item has flown out: the screen fades.
        if (m_direction == -1)
            setClosing(true);
        return;
    }
    m_itemsShown = next;
    Q_EMIT itemsShownChanged();
}
