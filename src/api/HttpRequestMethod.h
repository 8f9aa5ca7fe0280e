#pragma once

#include "HttpRequestBase.h"

#include <QStringList>

#include <optional>

/// Every endpoint of the PC's HTTP service and the two outside services: each operation builds
/// the URL and parameters and starts the exchange. While the phone holds no base address (not
/// logged in), a PC operation sends nothing and calls back with nothing before returning.
class HttpRequestMethod : public HttpRequestBase
{
    Q_OBJECT
public:
    using HttpRequestBase::HttpRequestBase;

    void getWiFiInfoFromServer();
    void getClientList();
    /// "type" (2 blacklist, 3 release), "mac", "ip", "name".
    void operateClient(const QVariantMap &params);
    /// "mac", "up_limit", "down_limit".
    void updateRateLimit(const QVariantMap &params);
    /// Lists a directory; "/" lists the disks and the desktop, nothing sends no parameter.
    void getDirList(const std::optional<QString> &path);
    void deleteFile(const QStringList &paths);
    void renameFile(const QString &path, const QString &newName);
    void moveFile(const QStringList &paths, const QString &dest);
    void getQuickTransfer();
    void getVolume();
    void getIsPptOpen();
    void lockScreen();
    void shutdownPC(qint64 seconds);
    void getScreenshot();
    void uploadFeedbackWithContent(const QString &text, const QString &contact);
    void commitStatistics();

    /// ["p1","p2"]: each path between double quotes, verbatim, joined by commas.
    [[nodiscard]] static QString pathListText(const QStringList &paths);
    /// {"files": [...], "dest" : "dest"} with the list and the destination verbatim.
    [[nodiscard]] static QString moveText(const QStringList &paths, const QString &dest);

private:
    /// The PC endpoint URL, or nothing (after the failure callback) while not logged in.
    std::optional<QString> pcUrl(const QString &relative, bool ensureSlash = false);
};
