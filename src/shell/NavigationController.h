#pragma once

#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <functional>

class NotificationCenter;
class RuntimeState;

/// The sliding main screen over the menu. The main screen's left edge stands at 0 (closed) or at
/// 280 points (open); a horizontal drag moves it, and on release it settles open when it was
/// dragged more than 80 points from closed, or stays open unless dragged at least 50 points back.
/// Slides take 0.3 s per 280 points. The view binds the main screen's x to `offset` and animates
/// while `animating`.
class NavigationController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
    /// The main screen's left edge, in points.
    Q_PROPERTY(double offset READ offset NOTIFY offsetChanged)
    /// Whether the view animates the change of offset, and over how many milliseconds.
    Q_PROPERTY(bool animating READ isAnimating NOTIFY animatingChanged)
    Q_PROPERTY(int animationDuration READ animationDuration NOTIFY animatingChanged)
    /// Whether the menu lies open (the last settle moved to the open position).
    Q_PROPERTY(bool isLastStateRight READ isLastStateRight NOTIFY isLastStateRightChanged)
    /// Whether the menu underneath takes touches.
    Q_PROPERTY(bool menuInteractive READ isMenuInteractive NOTIFY menuInteractiveChanged)
    /// Whether the main screen's own controls take touches (not while the menu is open; a tap on
    /// the main screen then closes the menu).
    Q_PROPERTY(bool mainInteractive READ isMainInteractive NOTIFY isLastStateRightChanged)
    /// Whether something lies over the main screen, which then does not slide.
    Q_PROPERTY(bool overlayOpen READ isOverlayOpen WRITE setOverlayOpen NOTIFY overlayOpenChanged)
public:
    /// The open position of the main screen's left edge.
    static constexpr double OpenOffset = 280;
    /// A full slide, in milliseconds.
    static constexpr int SlideMs = 300;

    NavigationController(NotificationCenter *hub, RuntimeState *state, QObject *parent = nullptr);

    [[nodiscard]] double offset() const { return m_offset; }
    [[nodiscard]] bool isAnimating() const { return m_animating; }
    [[nodiscard]] int animationDuration() const { return m_duration; }
    [[nodiscard]] bool isLastStateRight() const { return m_lastStateRight; }
    [[nodiscard]] bool isMenuInteractive() const { return m_menuInteractive; }
    [[nodiscard]] bool isMainInteractive() const { return !m_lastStateRight; }
    [[nodiscard]] bool isOverlayOpen() const { return m_overlayOpen; }
    void setOverlayOpen(bool open);
    /// Whether the main screen stands closed.
    [[nodiscard]] bool isInMiddle() const { return m_offset == 0; }

    /// A drag: it began, moved by @p dx points since the last update, or ended.
    Q_INVOKABLE void panBegan();
    Q_INVOKABLE void panMoved(double dx);
    Q_INVOKABLE void panEnded();
    /// A tap on the main screen: closes the open menu.
    Q_INVOKABLE void tapped();
    /// The menu button: opens the closed menu, closes the open one.
    Q_INVOKABLE void showMenu();
    /// Settles where the main screen stands; on release and when a drag is cut off.
    Q_INVOKABLE void stopPan();
    Q_INVOKABLE void moveToRight();
    Q_INVOKABLE void moveToMiddle();
    /// The application went to the background: a drag cut off there settles.
    Q_INVOKABLE void didEnterBackground();

Q_SIGNALS:
    void offsetChanged();
    void animatingChanged();
    void isLastStateRightChanged();
    void menuInteractiveChanged();
    void overlayOpenChanged();

private:
    [[nodiscard]] bool isBlocked() const;
    void moveTo(double offset, std::function<void()> completion = {});
    void setOffset(double offset);
    void setMenuInteractive(bool interactive);
    void setLastStateRight(bool right);

    NotificationCenter *m_hub;
    RuntimeState *m_state;
    QTimer m_animation;
    std::function<void()> m_completion;
    double m_offset = 0;
    int m_duration = 0;
    bool m_animating = false;
    bool m_panning = false;
    bool m_lastStateRight = false;
    bool m_menuInteractive = true;
    bool m_overlayOpen = false;
};
