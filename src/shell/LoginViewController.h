#pragma once

#include "ScreenController.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class LoginAndAuthCenter;
class NotificationCenter;
class RuntimeState;
class ToastCenter;

/// The connection screen: the WiFi network, the PC on its disc, a spinner while the phone logs
/// in or applies for administrator rights, and the offer to apply when the phone is only logged
/// in. It closes itself once the outcome is known, leaving a message for every failure, and its
/// PC disc falls into the main screen's send button as it goes.
class LoginViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the shell")
    /// The WiFi line: five spaces, then the network's name.
    Q_PROPERTY(QString wifiText READ wifiText CONSTANT)
    /// The picture on the PC disc, and whether the disc is blue (else white).
    Q_PROPERTY(QString pcIcon READ pcIcon NOTIFY looksChanged)
    Q_PROPERTY(bool roundBlue READ isRoundBlue NOTIFY looksChanged)
    /// Whether the spinner turns (once a second).
    Q_PROPERTY(bool loading READ isLoading NOTIFY loadingChanged)
    /// Whether the apply and decline buttons are shown (they slide in over 0.5 s).
    Q_PROPERTY(bool authOffered READ isAuthOffered NOTIFY looksChanged)
    Q_PROPERTY(QString applyTitle READ applyTitle CONSTANT)
    Q_PROPERTY(QString declineTitle READ declineTitle CONSTANT)
    /// How long the closing fall lasts, in seconds.
    Q_PROPERTY(double fallDuration READ fallDuration CONSTANT)
    /// The hint under the disc for the current state.
    Q_PROPERTY(QString hint READ hint NOTIFY looksChanged)
public:
    /// How long the closing fall lasts, in seconds.
    static constexpr double FallDuration = 0.5;

    LoginViewController(NotificationCenter *hub, RuntimeState *state, LoginAndAuthCenter *login,
                        ToastCenter *toasts, QObject *parent = nullptr);

    [[nodiscard]] QString wifiText() const { return m_wifiText; }
    [[nodiscard]] QString pcIcon() const { return m_pcIcon; }
    [[nodiscard]] bool isRoundBlue() const { return m_roundBlue; }
    [[nodiscard]] bool isLoading() const { return m_loading; }
    [[nodiscard]] bool isAuthOffered() const { return m_authOffered; }
    [[nodiscard]] QString applyTitle() const;
    [[nodiscard]] QString declineTitle() const;
    [[nodiscard]] QString hint() const;
    [[nodiscard]] double fallDuration() const { return FallDuration; }

    /// The screen is laid on screen: logs in, offers the authorisation, or waits when the phone
    /// is already authorised.
    Q_INVOKABLE void viewDidLoad();
    /// The apply button: the authorisation starts under the spinner.
    Q_INVOKABLE void tappedAuthButton();
    /// The decline button: the screen closes.
    Q_INVOKABLE void tappedNotAuthButton();
    /// Stops every exchange and starts the closing fall.
    void back() override;
    /// The fall has ended.
    void closeFinished() override;

Q_SIGNALS:
    void looksChanged();
    void loadingChanged();
    /// The closing fall starts; it lasts @p duration seconds.
    void startFallDownSendButton(double duration);
    /// The closing fall has ended.
    void endFallDownSendButton();
    /// The screen has gone.
    void closeedFunctionalSubView();

private:
    void loginOrAuthFinished(bool isLogin);
    void showLoginUI();
    void showAuthUI();
    void setLoading(bool loading);
    void setPcIcon(const QString &icon);

    RuntimeState *m_state;
    LoginAndAuthCenter *m_login;
    ToastCenter *m_toasts;
    QString m_wifiText;
    QString m_pcIcon;
    bool m_roundBlue = false;
    bool m_loading = false;
    bool m_authOffered = false;
    bool m_applying = false;
    bool m_fallEnded = false;
};
