#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

/// The window's short messages and its busy indicators: at most one toast at a time (a new one
/// replaces the one on screen), the spinning progress indicator and the loading view with its
/// five looks. Controllers call it; the window's views only show what it holds.
class ToastCenter : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
    /// Whether a toast is on screen.
    Q_PROPERTY(bool toastVisible READ isToastVisible NOTIFY toastChanged)
    /// The toast's title and detail line (the detail may be empty).
    Q_PROPERTY(QString title READ title NOTIFY toastChanged)
    Q_PROPERTY(QString detail READ detail NOTIFY toastChanged)
    /// How far below the window's centre the toast stands, in points (negative: above).
    Q_PROPERTY(double yOffset READ yOffset NOTIFY toastChanged)
    /// Counts the toasts shown, so a view can restart its appearance for a replacing toast.
    Q_PROPERTY(int serial READ serial NOTIFY toastChanged)
    /// Whether the spinning progress indicator covers the window.
    Q_PROPERTY(bool progressVisible READ isProgressVisible NOTIFY progressChanged)
    /// The loading view's look (0 gray, 1 green, 2 purple, 3 white, 4 small white), or -1 when
    /// no loading view is shown.
    Q_PROPERTY(int loadingType READ loadingType NOTIFY loadingChanged)
    Q_PROPERTY(double loadingOffset READ loadingOffset NOTIFY loadingChanged)
public:
    /// The default offset of a toast that names none.
    static constexpr double DefaultOffset = 150;

    explicit ToastCenter(QObject *parent = nullptr);

    [[nodiscard]] bool isToastVisible() const { return m_toastVisible; }
    [[nodiscard]] QString title() const { return m_title; }
    [[nodiscard]] QString detail() const { return m_detail; }
    [[nodiscard]] double yOffset() const { return m_yOffset; }
    [[nodiscard]] int serial() const { return m_serial; }
    [[nodiscard]] bool isProgressVisible() const { return m_progressVisible; }
    [[nodiscard]] int loadingType() const { return m_loadingType; }
    [[nodiscard]] double loadingOffset() const { return m_loadingOffset; }
    /// How long the toast on screen stays, in milliseconds (0 when none is shown).
    [[nodiscard]] int toastDuration() const { return m_toastVisible ? m_duration : 0; }

    /// Shows a toast after removing every toast and progress indicator. It goes after 3 s when
    /// @p detail is non-empty, else after 1 s when @p delay is 0, else after @p delay seconds.
    void showToast(const QString &title, const QString &detail, double yOffset, double delay);
    /// A toast at the default offset that stays @p delay seconds (1 s for 0).
    void showToast(const QString &title, double delay = 0);
    /// A toast at @p yOffset that stays @p delay seconds (1 s for 0).
    void showToastAt(const QString &title, double yOffset, double delay = 0);
    /// Removes the toast on screen.
    Q_INVOKABLE void hideToast();

    /// Shows the spinning progress indicator over the window.
    void showProgress();
    /// Removes every progress indicator and toast, and the loading view.
    Q_INVOKABLE void hideProgress();

    /// Lays the loading view of look @p type (0 to 4) over the window, moved by @p yOffset.
    void showLoading(int type, double yOffset = 0);
    /// Removes the loading view.
    Q_INVOKABLE void hideLoading();

Q_SIGNALS:
    void toastChanged();
    void progressChanged();
    void loadingChanged();

private:
    void setToastVisible(bool visible);

    QTimer m_timer;
    QString m_title;
    QString m_detail;
    double m_yOffset = DefaultOffset;
    int m_duration = 0;
    int m_serial = 0;
    bool m_toastVisible = false;
    bool m_progressVisible = false;
    int m_loadingType = -1;
    double m_loadingOffset = 0;
};
