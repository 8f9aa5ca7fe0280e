#include "HttpRequestMethod.h"

#include "DeviceInfoCenter.h"
#include "RuntimeState.h"

using namespace Qt::StringLiterals;

std::optional<QString> HttpRequestMethod::pcUrl(const QString &relative, bool ensureSlash)
{
    QString base = context().state->api();
    if (base.isEmpty()) {
        requestFailed();
        return std::nullopt;
    }
    if (ensureSlash && !base.endsWith(u'/'))
        base += u'/';
    return base + relative;
}

QString HttpRequestMethod::pathListText(const QStringList &paths)
{
    if (paths.isEmpty())
        return u"[]"_s;
    QString text = u"["_s;
    for (const QString &path : paths)
        text += u'"' + path + u"\","_s;
    text.chop(1);
    return text + u']';
}

QString HttpRequestMethod::moveText(const QStringList &paths, const QString &dest)
{
    return u"{\"files\": %1, \"dest\" : \"%2\"}"_s.arg(pathListText(paths), dest);
}

void HttpRequestMethod::getWiFiInfoFromServer()
{
    if (const auto url = pcUrl(u"cgi/wifi_info.mo"_s))
        setHttpRequestGetWithUrl(*url);
}

void HttpRequestMethod::getClientList()
{
    if (const auto url = pcUrl(u"cgi/wifi_client.mo"_s))
        setHttpRequestGetWithUrl(*url);
}

void HttpRequestMethod::operateClient(const QVariantMap &params)
{
    if (const auto url = pcUrl(u"cgi/wifi_operate.mo"_s))
        setHttpRequestGetWithUrl(*url, params);
}

void HttpRequestMethod::updateRateLimit(const QVariantMap &params)
{
    if (const auto url = pcUrl(u"cgi/wifi_ratelimit.mo"_s, true))
        setHttpRequestGetWithUrl(*url, params);
}

void HttpRequestMethod::getDirList(const std::optional<QString> &path)
{
    if (const auto url = pcUrl(u"cgi/dir_list.mo"_s))
        setHttpRequestGetWithUrl(*url, path ? QVariantMap{{u"name"_s, *path}} : QVariantMap());
}

void HttpRequestMethod::deleteFile(const QStringList &paths)
{
    if (const auto url = pcUrl(u"cgi/dir_delete.mo"_s))
        setHttpRequestPostWithUrl(*url, {{u"files"_s, pathListText(paths)}});
}

void HttpRequestMethod::renameFile(const QString &path, const QString &newName)
{
    if (const auto url = pcUrl(u"cgi/dir_rename.mo"_s))
        setHttpRequestGetWithUrl(*url, {{u"name"_s, path}, {u"newname"_s, newName}});
}

void HttpRequestMethod::moveFile(const QStringList &paths, const QString &dest)
{
    if (const auto url = pcUrl(u"cgi/dir_move.mo"_s))
        setHttpRequestPostWithUrl(*url, {{u"data"_s, moveText(paths, dest)}});
}

void HttpRequestMethod::getQuickTransfer()
{
    if (const auto url = pcUrl(u"cgi/pc_shake.mo"_s))
        setHttpRequestGetWithUrl(*url);
}

void HttpRequestMethod::getVolume()
{
    if (const auto url = pcUrl(u"cgi/pc_volum.mo"_s))
        setHttpRequestGetWithUrl(*url);
}

void HttpRequestMethod::getIsPptOpen()
{
    if (const auto url = pcUrl(u"cgi/pc_procinfo.mo"_s))
        setHttpRequestGetWithUrl(*url, {{u"name"_s, u"ppt"_s}});
}

void HttpRequestMethod::lockScreen()
{
    if (const auto url = pcUrl(u"cgi/pc_lock.mo"_s))
        setHttpRequestGetWithUrl(*url);
}

void HttpRequestMethod::shutdownPC(qint64 seconds)
{
    if (const auto url = pcUrl(u"cgi/pc_shutdown.mo"_s))
        setHttpRequestGetWithUrl(*url, {{u"sec"_s, seconds}});
}

void HttpRequestMethod::getScreenshot()
{
    if (const auto url = pcUrl(u"cgi/pc_screencut.mo"_s))
        setHttpRequestGetWithUrl(*url);
}

void HttpRequestMethod::uploadFeedbackWithContent(const QString &text, const QString &contact)
{
    const QString url = context().feedbackUrl + u"wifiapp/feedback"_s +
                        u"?pid=Zephyrwifiandroid&ver="_s +
                        QString::fromUtf8(escapeQueryValue(DeviceInfoCenter::getAppVersion()));
    setHttpRequestPostWithUrl(url, {
                                       {u"opt_1"_s, u"1"_s},
                                       {u"txt_1"_s, text},
                                       {u"app"_s, u"Zephyrwifiapp"_s},
                                       {u"contact"_s, u"1"_s},
                                       {u"contact_text"_s, contact},
                                       {u"tag"_s, u"feedback"_s},
                                       {u"sys"_s, u"iOS"_s + DeviceInfoCenter::getSystemVersion()},
                                   });
}

void HttpRequestMethod::commitStatistics()
{
    setHttpRequestGetWithUrl(context().statsUrl + u"AppStore/getIsUpdate"_s,
                             {
                                 {u"pname"_s, u"com.vantor.wifiios"_s},
                                 {u"m"_s, DeviceInfoCenter::getDeviceId()},
                                 {u"vercode"_s, DeviceInfoCenter::getAppVersion()},
                                 {u"t"_s, u"auto_release"_s},
                                 {u"s"_s, DeviceInfoCenter::getStatisticsString()},
                             });
}
