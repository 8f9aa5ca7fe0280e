#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class RuntimeState;

/// The base of every overlay screen's controller. The screen is laid over the current one and
/// fades in; back() asks its view to fade out, and the view reports the end of that animation
/// with closeFinished(), after which the screen is gone and closed() tells whoever opened it.
class ScreenController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("created by the screens that open it")
    /// The title of the screen's bar (empty for screens without one).
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
    /// Whether the screen is closing (its view fades out).
    Q_PROPERTY(bool closing READ isClosing NOTIFY closingChanged)
public:
    explicit ScreenController(QObject *parent = nullptr);

    [[nodiscard]] QString title() const { return m_title; }
    [[nodiscard]] bool isClosing() const { return m_closing; }

    /// The back button: the screen starts closing.
    Q_INVOKABLE virtual void back();
    /// The view's closing animation has ended.
    Q_INVOKABLE virtual void closeFinished();

Q_SIGNALS:
    void titleChanged();
    void closingChanged();
    /// The screen has gone; its opener forgets it ("closeCoverView").
    void closed();

protected:
    void setTitle(const QString &title);
    void setClosing(bool closing);

private:
    QString m_title;
    bool m_closing = false;
    bool m_closed = false;
};

/// A screen whose item buttons fly in one after another, one every 0.1 s, and fly out the same
/// way before it fades. While it is shown the main screen counts as covered, so the slide
/// gesture does nothing.
class ItemButtonScreenController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("created by the screens that open it")
    /// How many item buttons have flown in (and not yet out).
    Q_PROPERTY(int itemsShown READ itemsShown NOTIFY itemsShownChanged)
    /// The number of item buttons.
    Q_PROPERTY(int itemCount READ itemCount CONSTANT)
public:
    /// The time between two item buttons flying, in milliseconds.
    static constexpr int StepMs = 100;

    ItemButtonScreenController(RuntimeState *state, int itemCount, QObject *parent = nullptr);

    [[nodiscard]] int itemsShown() const { return m_itemsShown; }
    [[nodiscard]] int itemCount() const { return m_itemCount; }

    /// Starts the fly-in; the view calls it when it is laid on screen.
    Q_INVOKABLE void showInView();
    /// The fly-out, then the fade (also the back button).
    void back() override;
    /// Restores the other items after a screen opened from one has closed ("closeCoverView").
    Q_INVOKABLE void coverClosed();

Q_SIGNALS:
    void itemsShownChanged();
    /// The item screens opened from here closed: the view restores every item.
    void itemsRestored();

private:
    void step();

    RuntimeState *m_state;
    int m_itemCount;
    int m_itemsShown = 0;
    int m_direction = 0;
    int m_timer = 0;

protected:
    void timerEvent(QTimerEvent *event) override;
};
