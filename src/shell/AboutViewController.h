#pragma once

#include "RowsModel.h"
#include "ScreenController.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class Clipboard;
class ToastCenter;

/// The about screen: the version under the logo, and six rows (the web site, the public
/// accounts, which are copied, and the help, agreement and privacy pages).
class AboutViewController : public ScreenController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("opened by the shell")
    /// "V" and the application's version.
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    /// The rows (47 points each).
    Q_PROPERTY(RowsModel *rows READ rows CONSTANT)
public:
    enum Row { SiteRow, WeixinRow, WeiboRow, HelpRow, AgreementRow, PrivacyRow };
    Q_ENUM(Row)

    /// The maker's web site, its product page, and the names of its public accounts.
    static constexpr auto SiteHost = "www.zephyrwifi.com";
    static constexpr auto ProductPage = "https://www.zephyrwifi.com/mobile/index.html";
    static constexpr auto WeixinAccount = "ZephyrWiFi快传";
    static constexpr auto WeiboAccount = "Zephyr随身wifi";

    AboutViewController(Clipboard *clipboard, ToastCenter *toasts, QObject *parent = nullptr);

    [[nodiscard]] QString versionText() const;
    [[nodiscard]] RowsModel *rows() { return &m_rows; }

    /// A touch highlighted row @p row: it acts.
    Q_INVOKABLE void tableViewCellHighlighted(int row);

Q_SIGNALS:
    /// A page opens in the web page screen (@p url "qrc:/html/..." for the application's own).
    void openWebPage(const QString &url, const QString &title, bool showMore);

private:
    void copy(const QString &text, const QString &message);

    Clipboard *m_clipboard;
    ToastCenter *m_toasts;
    RowsModel m_rows;
};
