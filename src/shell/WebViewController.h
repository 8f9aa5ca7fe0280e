#pragma once

#include "ScreenController.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class Clipboard;
class Composer;
class DialogCenter;
class ToastCenter;

/// The web page screen: a page of the application's own ("qrc:/html/...") or a remote one, its
/// title in the bar, the loading view while it loads, "加载失败" when it fails, and the more
/// button's sheet (open in the browser, copy the address). Back goes back a page before the
/// screen closes. The view hosts the web engine and reports what it does.
class WebViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the shell")
    /// The address to load; empty when the given address cannot be shown here.
    Q_PROPERTY(QUrl url READ url CONSTANT)
    /// Whether the bar shows the more button.
    Q_PROPERTY(bool showMoreButton READ showMoreButton CONSTANT)
    /// Whether the page is loading (the loading view covers it).
    Q_PROPERTY(bool loading READ isLoading NOTIFY loadingChanged)
    /// Whether the last load failed (the screen shows its failure state over the page).
    Q_PROPERTY(bool failed READ isFailed NOTIFY loadingChanged)
    /// The failure state's line.
    Q_PROPERTY(QString failureText READ failureText CONSTANT)
    /// The more button's name for screen readers.
    Q_PROPERTY(QString moreName READ moreName CONSTANT)
    /// The loading view's look over the page (white).
    Q_PROPERTY(int loadingType READ loadingType CONSTANT)
public:
    /// The loading view's look over the page.
    static constexpr int LoadingType = 3;

    /// A screen for @p address with the title @p title (empty: the page's own), and the more
    /// button when @p showMore.
    WebViewController(const QString &address, const QString &title, bool showMore,
                      DialogCenter *dialogs, ToastCenter *toasts, Clipboard *clipboard,
                      Composer *composer, QObject *parent = nullptr);

    /// The address to load for @p address: as it stands when it is a valid address, else
    /// percent-escaped; web addresses without a scheme get "http://". Only web addresses and the
    /// application's own pages are shown: any other scheme gives an empty address.
    [[nodiscard]] static QUrl resolve(const QString &address);

    [[nodiscard]] QUrl url() const { return m_url; }
    [[nodiscard]] bool showMoreButton() const { return m_showMore; }
    [[nodiscard]] bool isLoading() const { return m_loading; }
    [[nodiscard]] QString moreName() const;
    [[nodiscard]] bool isFailed() const { return m_failed; }
    [[nodiscard]] QString failureText() const;
    [[nodiscard]] int loadingType() const { return LoadingType; }

    /// The view's reports: a load started, a load ended (with the page's title), and whether the
    /// page history can go back.
    Q_INVOKABLE void loadStarted();
    Q_INVOKABLE void loadFinished(bool succeeded, const QString &pageTitle);
    Q_INVOKABLE void setCanGoBack(bool canGoBack);
    /// The page's title changed after it had loaded.
    Q_INVOKABLE void pageTitleChanged(const QString &pageTitle);
    /// A script of the page asks for an alert (0), a confirmation (1) or a text prompt (2);
    /// returns the request's number, answered with javaScriptDialogAnswered().
    Q_INVOKABLE int javaScriptDialogRequested(int kind, const QString &message,
                                              const QString &defaultText);
    /// The more button: the sheet with "在浏览器中打开", "复制链接" and "取消".
    Q_INVOKABLE void tappedMoreButton();
    /// Goes back a page, or closes the screen on the first one.
    void back() override;

Q_SIGNALS:
    void loadingChanged();
    /// The view goes back one page.
    void goBackRequested();
    /// The script dialog @p id was answered.
    void javaScriptDialogAnswered(int id, bool accepted, const QString &text);

private:
    void setLoading(bool loading);

    DialogCenter *m_dialogs;
    ToastCenter *m_toasts;
    Clipboard *m_clipboard;
    Composer *m_composer;
    QString m_address;
    QString m_ownTitle;
    QUrl m_url;
    bool m_showMore;
    bool m_loading = false;
    bool m_canGoBack = false;
    bool m_failed = false;
    int m_nextDialog = 0;
};
