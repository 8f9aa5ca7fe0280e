#include "NavigationController.h"

#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

#include <cmath>

NavigationController::NavigationController(NotificationCenter *hub, RuntimeState *state,
                                           QObject *parent)
    : QObject(parent), m_hub(hub), m_state(state)
{
    m_animation.setSingleShot(true);
    connect(&m_animation, &QTimer::timeout, this, [this] {
        m_animating = false;
        Q_EMIT animatingChanged();
        if (auto completion = std::exchange(m_completion, {}))
            completion();
    });
}

void NavigationController::setOverlayOpen(bool open)
{
    if (m_overlayOpen == open)
        return;
    m_overlayOpen = open;
    Q_EMIT overlayOpenChanged();
}

bool NavigationController::isBlocked() const
{
    return m_overlayOpen || (m_state && m_state->isMainViewCovered());
}

void NavigationController::panBegan()
{
    m_panning = false;
    if (isBlocked())
        return;
    m_panning = true;
    m_hub->post(Notifications::MenuResignFirstResponser);
    m_animation.stop();
    m_completion = {};
    if (m_animating) {
        m_animating = false;
        Q_EMIT animatingChanged();
    }
    setMenuInteractive(false);
}

void NavigationController::panMoved(double dx)
{
    if (!m_panning || isBlocked())
        return;
    m_hub->post(Notifications::MenuResignFirstResponser);
    const double next = m_offset + dx;
    // Left of the closed position the screen does not move.
    if (next < 0)
        return;
    setOffset(next);
}

void NavigationController::panEnded()
{
    if (!m_panning)
        return;
    m_panning = false;
    if (isBlocked()) {
        setMenuInteractive(true);
        return;
    }
    stopPan();
}

void NavigationController::tapped()
{
    if (m_lastStateRight)
        showMenu();
}

void NavigationController::showMenu()
{
    m_hub->post(Notifications::MenuResignFirstResponser);
    if (isInMiddle())
        moveToRight();
    else
        moveToMiddle();
}

void NavigationController::stopPan()
{
    setMenuInteractive(true);
    // In centre terms: W/2 + 140 + (90 open, -60 closed); here the left edge, so W drops out.
    const double threshold = OpenOffset / 2 + (m_lastStateRight ? 90 : -60);
    if (m_offset > threshold)
        moveToRight();
    else
        moveToMiddle();
}

void NavigationController::moveToRight()
{
    moveTo(OpenOffset);
    setLastStateRight(true);
}

void NavigationController::moveToMiddle()
{
    setMenuInteractive(false);
    moveTo(0, [this] { setMenuInteractive(true); });
    setLastStateRight(false);
}

void NavigationController::didEnterBackground()
{
    if (m_offset != 0 && m_offset != OpenOffset) {
        m_panning = false;
        stopPan();
    }
}

void NavigationController::moveTo(double offset, std::function<void()> completion)
{
    m_duration = static_cast<int>(std::lround(std::abs(m_offset - offset) / OpenOffset * SlideMs));
    m_completion = std::move(completion);
    m_animating = true;
    Q_EMIT animatingChanged();
    setOffset(offset);
    m_animation.start(m_duration);
}

void NavigationController::setOffset(double offset)
{
    if (m_offset == offset)
        return;
    m_offset = offset;
    Q_EMIT offsetChanged();
}

void NavigationController::setMenuInteractive(bool interactive)
{
    if (m_menuInteractive == interactive)
        return;
    m_menuInteractive = interactive;
    Q_EMIT menuInteractiveChanged();
}

void NavigationController::setLastStateRight(bool right)
{
    if (m_lastStateRight == right)
        return;
    m_lastStateRight = right;
    Q_EMIT isLastStateRightChanged();
}
