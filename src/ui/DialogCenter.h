#pragma once

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <deque>
#include <functional>

/// The window's alerts and action sheets. A controller asks for one with its buttons and a
/// handler; the view shows the first request and reports the chosen button with choose().
/// Requests made while one is shown wait their turn.
class DialogCenter : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
    /// What is shown: no dialog, an alert in the middle, or a sheet from the bottom.
    Q_PROPERTY(Kind kind READ kind NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    /// The buttons in order; a sheet's last button is its cancel button.
    Q_PROPERTY(QStringList buttons READ buttons NOTIFY changed)
    /// The index of the button drawn as destructive, or -1.
    Q_PROPERTY(int destructiveIndex READ destructiveIndex NOTIFY changed)
public:
    enum Kind { None, Alert, Sheet };
    Q_ENUM(Kind)
    using Handler = std::function<void(int)>;

    explicit DialogCenter(QObject *parent = nullptr);

    [[nodiscard]] Kind kind() const;
    [[nodiscard]] QString title() const;
    [[nodiscard]] QString message() const;
    [[nodiscard]] QStringList buttons() const;
    [[nodiscard]] int destructiveIndex() const;

    /// An alert with @p buttons; @p handler gets the chosen index.
    void alert(const QString &title, const QString &message, const QStringList &buttons,
               Handler handler = {}, int destructiveIndex = -1);
    /// An action sheet; its last button cancels. @p handler gets the chosen index.
    void actionSheet(const QString &title, const QStringList &buttons, Handler handler,
                     int destructiveIndex = -1);
    /// The user chose button @p index of the dialog on screen.
    Q_INVOKABLE void choose(int index);
    /// The sheet was dismissed without a choice (a tap outside, Escape): as its cancel button.
    Q_INVOKABLE void dismiss();

Q_SIGNALS:
    void changed();

private:
    struct Request
    {
        Kind kind;
        QString title;
        QString message;
        QStringList buttons;
        Handler handler;
        int destructiveIndex;
    };
    std::deque<Request> m_requests;
};
