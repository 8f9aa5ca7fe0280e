#pragma once

#include "ScreenController.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class HttpRequestCenter;
class NotificationCenter;
class ToastCenter;
class UserDefaults;

/// The feedback form: the user's text and contact, sent to the feedback service. The unsent
/// texts are kept between visits; the submit button works only for a text with something in it
/// besides spaces and line breaks.
class FeedbackViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the shell")
    /// The feedback text (empty while the hint shows).
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    /// The contact text.
    Q_PROPERTY(QString contact READ contact WRITE setContact NOTIFY contactChanged)
    /// The grey hint shown while the text is empty.
    Q_PROPERTY(QString hint READ hint CONSTANT)
    Q_PROPERTY(QString contactHint READ contactHint CONSTANT)
    /// The submit button's title, and whether it can be used.
    Q_PROPERTY(QString submitTitle READ submitTitle CONSTANT)
    Q_PROPERTY(bool submitEnabled READ isSubmitEnabled NOTIFY textChanged)
    /// Whether a submission waits for its answer.
    Q_PROPERTY(bool sending READ isSending NOTIFY sendingChanged)
public:
    FeedbackViewController(NotificationCenter *hub, UserDefaults *defaults, HttpRequestCenter *http,
                           ToastCenter *toasts, QObject *parent = nullptr);

    [[nodiscard]] QString text() const { return m_text; }
    void setText(const QString &text);
    [[nodiscard]] QString contact() const { return m_contact; }
    void setContact(const QString &contact);
    [[nodiscard]] QString hint() const;
    [[nodiscard]] QString contactHint() const;
    [[nodiscard]] QString submitTitle() const;
    [[nodiscard]] bool isSubmitEnabled() const;
    [[nodiscard]] bool isSending() const { return m_sending; }

    /// The screen is about to be shown: the unsent texts come back.
    Q_INVOKABLE void viewWillAppear();
    /// The screen is about to go: the unsent texts are kept.
    Q_INVOKABLE void viewWillDisappear();
    /// The submit button.
    Q_INVOKABLE void feedback();
    /// Saves the unsent texts, then closes.
    void back() override;

Q_SIGNALS:
    void textChanged();
    void contactChanged();
    void sendingChanged();
    /// The keyboard goes away.
    void dismissKeyboard();

private:
    void submitFeedbackFinished(const QVariantMap &userInfo);
    [[nodiscard]] bool isEmptyText(const QString &text) const;

    UserDefaults *m_defaults;
    HttpRequestCenter *m_http;
    ToastCenter *m_toasts;
    QString m_text;
    QString m_contact;
    bool m_sending = false;
};
