#include "HttpRequestCenter.h"

#include "AppCore.h"
#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "FileObject.h"
#include "HttpAnswer.h"
#include "JsonUtils.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "Utils.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 kScreenshotSize = 102400;
// A shaken file below this size is downloaded at once; a larger one waits for the user.
constexpr quint64 kHoldBackSize = 0x500000;

// A dictionary whose "err" is 0 (or absent).
bool isSuccess(const QVariant &answer)
{
    return JsonUtils::isObject(answer) &&
           JsonUtils::integerValue(answer.toMap().value(u"err"_s)) == 0;
}

// "data" of a successful answer, when it is a dictionary.
std::optional<QVariantMap> successData(const QVariant &answer)
{
    if (!isSuccess(answer))
        return std::nullopt;
    const QVariant data = answer.toMap().value(u"data"_s);
    if (!JsonUtils::isObject(data))
        return std::nullopt;
    return data.toMap();
}

QVariantList fileRecords(const QVariant &files, bool foldersOnly)
{
    QVariantList records;
    for (const QVariant &entry : files.toList()) {
        auto file = FileObjectPtr::create(entry);
        if (foldersOnly && (file->type == FileObject::File || file->type == FileObject::DriveOther))
            continue;
        records << QVariant::fromValue(file);
    }
    return records;
}

// s/shot.png taken at T ms gives s/shotT.png; a path without extension ends in a dot.
QString screenshotLocalPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return stem + QString::number(QDateTime::currentMSecsSinceEpoch()) + u'.' + suffix;
}

QVariantMap fileOperationPayload(bool success, const QString &directoryPath)
{
    QVariantMap info{{u"result"_s, success}};
    if (!directoryPath.isEmpty())
        info.insert(u"path"_s, directoryPath);
    return info;
}
} // namespace

HttpRequestCenter::HttpRequestCenter(NotificationCenter &hub, RuntimeState &state,
                                     UserDefaults &defaults, QNetworkAccessManager &manager,
                                     const QString &feedbackUrl, const QString &statsUrl,
                                     QObject *parent)
    : QObject(parent), m_state(state),
      m_defaults(defaults), m_context{&manager, &hub, &state, feedbackUrl, statsUrl}
{
    hub.addObserver(this, Notifications::AppStatusChanged,
                    [this](const QVariantMap &) { statusChanged(); });
}

HttpRequestCenter::~HttpRequestCenter()
{
    // Requests still in flight go without a callback.
    const QSet<HttpRequestMethod *> requests = m_requests;
    m_requests.clear();
    qDeleteAll(requests);
}

HttpRequestCenter *HttpRequestCenter::sharedInstance()
{
    return AppCore::current()->service<HttpRequestCenter>();
}

HttpRequestMethod *HttpRequestCenter::newRequest(Handler handler)
{
    auto *request = new HttpRequestMethod(
        m_context, [this, handler](HttpRequestBase *base, const QVariant &answer) {
            auto *request = static_cast<HttpRequestMethod *>(base);
            (this->*handler)(request, answer);
            // Released after its handler, whatever the outcome.
            m_requests.remove(request);
            request->deleteLater();
        });
    request->setTimeout(m_timeoutMs);
    m_requests.insert(request);
    return request;
}

void HttpRequestCenter::statusChanged()
{
    hub()->post(Notifications::CancelHttpRequest);
    if (m_state.status() == AppStatusAuthorized) {
        getWifiInfo();
        getDiskInfo();
    }
}

void HttpRequestCenter::getWifiInfo()
{
    newRequest(&HttpRequestCenter::getWifiInfoFinished)->getWiFiInfoFromServer();
}

void HttpRequestCenter::getWifiInfoFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    if (data) {
        RuntimeState *state = &m_state;
        const QVariant pc = data->value(u"pc"_s);
        if (JsonUtils::isObject(pc)) {
            state->setPcName(pc.toMap().value(u"name"_s).toString());
            state->setShareDir(pc.toMap().value(u"share_dir"_s).toString());
        }
        const QVariant wifi = data->value(u"wifi"_s);
        if (JsonUtils::isObject(wifi))
            state->setClientCount(int(JsonUtils::integerValue(wifi.toMap().value(u"client"_s))));
    }
    Q_EMIT wifiInfoFinished(data.has_value());
}

void HttpRequestCenter::getDiskInfo()
{
    newRequest(&HttpRequestCenter::getDiskInfoFinished)->getDirList(u"/"_s);
}

void HttpRequestCenter::getDiskInfoFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    const QVariant files = data ? data->value(u"files"_s) : QVariant();
    const bool usable = JsonUtils::isArray(files);
    if (usable) {
        RuntimeState *state = &m_state;
        QList<FileObjectPtr> disks;
        for (const QVariant &entry : files.toList()) {
            auto file = FileObjectPtr::create(entry);
            if (file->type == FileObject::Folder)
                state->setDesktopFile(file);
            else
                disks << file;
        }
        std::stable_sort(disks.begin(), disks.end(),
                         [](const FileObjectPtr &a, const FileObjectPtr &b) {
                             return a->name.left(1) < b->name.left(1);
                         });
        state->setDiskArray(disks);
    }
    Q_EMIT diskInfoFinished(usable);
}

void HttpRequestCenter::getVolume()
{
    newRequest(&HttpRequestCenter::getVolumeFinished)->getVolume();
}

void HttpRequestCenter::getVolumeFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    QVariantMap info;
    if (const auto data = successData(responseObj)) {
        bool isNumber = false;
        const double volume = data->value(u"volum"_s).toDouble(&isNumber);
        const bool numeric = data->value(u"volum"_s).typeId() != QMetaType::QString;
        if (isNumber && numeric && volume >= 0 && volume <= 100)
            info.insert(u"volume"_s, volume / 100.0);
    }
    hub()->post(Notifications::GetVolumeFinished, info);
}

void HttpRequestCenter::getIsPptOpen()
{
    newRequest(&HttpRequestCenter::getIsPptOpenFinished)->getIsPptOpen();
}

void HttpRequestCenter::getIsPptOpenFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    if (data)
        hub()->post(Notifications::GetIsPptExistFinished,
                    {{u"ppt"_s, data->value(u"exist"_s).toBool()}});
    Q_EMIT isPptOpenFinished(data.has_value());
}

void HttpRequestCenter::lockScreen()
{
    newRequest(&HttpRequestCenter::lockScreenFinished)->lockScreen();
}

void HttpRequestCenter::lockScreenFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    hub()->post(Notifications::LockScreenFinished, {{u"isScreenLocked"_s, isSuccess(responseObj)}});
}

void HttpRequestCenter::shutdownPCAfter(qint64 seconds)
{
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatShutdown);
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::shutdownPCFinished);
    request->setTagStr(HttpTags::ShutdownPC);
    request->shutdownPC(seconds);
}

void HttpRequestCenter::stopShutdownPC()
{
    hub()->post(Notifications::CancelHttpRequest, {{u"tagStr"_s, HttpTags::ShutdownPC}});
}

void HttpRequestCenter::shutdownPCFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    hub()->post(Notifications::ShutdownPcFinished, {{u"isSuccessed"_s, isSuccess(responseObj)}});
}

void HttpRequestCenter::getDirectoryList(const QString &path)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::getDirectoryListFinished);
    request->setTagStr(path);
    request->getDirList(path);
}

void HttpRequestCenter::stopGetDirectoryList(const QString &path)
{
    if (!path.isEmpty())
        hub()->post(Notifications::CancelHttpRequest, {{u"tagStr"_s, path}});
}

void HttpRequestCenter::getDirectoryListFinished(HttpRequestMethod *request,
                                                 const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    // "result" tells an empty folder from a failure.
    hub()->post(Notifications::GetDirectoryListFinished,
                {{u"array"_s, data ? fileRecords(data->value(u"files"_s), false) : QVariantList()},
                 {u"path"_s, request->tagStr()},
                 {u"result"_s, data.has_value()}});
}

void HttpRequestCenter::getDirectoryFolderList(const QString &path)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::getDirectoryFolderListFinished);
    request->setTagStr(path);
    request->getDirList(path);
}

void HttpRequestCenter::getDirectoryFolderListFinished(HttpRequestMethod *request,
                                                       const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    hub()->post(Notifications::GetDirectoryFolderListFinished,
                {{u"array"_s, data ? fileRecords(data->value(u"files"_s), true) : QVariantList()},
                 {u"path"_s, request->tagStr()},
                 {u"result"_s, data.has_value()}});
}

void HttpRequestCenter::deleteFile(const QStringList &paths, const QString &directoryPath)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::deleteFileFinished);
    request->setTagStr(directoryPath);
    request->deleteFile(paths);
}

void HttpRequestCenter::deleteFileFinished(HttpRequestMethod *request, const QVariant &responseObj)
{
    hub()->post(Notifications::DeleteFileFinished,
                fileOperationPayload(isSuccess(responseObj), request->tagStr()));
}

void HttpRequestCenter::renameFile(const QString &path, const QString &newName,
                                   const QString &directoryPath)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::renameFileFinished);
    request->setTagStr(directoryPath);
    request->renameFile(path, newName);
}

void HttpRequestCenter::renameFileFinished(HttpRequestMethod *request, const QVariant &responseObj)
{
    hub()->post(Notifications::RenameFileFinished,
                fileOperationPayload(isSuccess(responseObj), request->tagStr()));
}

void HttpRequestCenter::moveFile(const QStringList &paths, const QString &dest,
                                 const QString &directoryPath)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::moveFileFinished);
    request->setTagStr(directoryPath);
    request->moveFile(paths, dest);
}

void HttpRequestCenter::moveFileFinished(HttpRequestMethod *request, const QVariant &responseObj)
{
    hub()->post(Notifications::MoveFileFinished,
                fileOperationPayload(isSuccess(responseObj), request->tagStr()));
}

void HttpRequestCenter::getScreenshot()
{
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatUploadVideosOrScreenshot);
    newRequest(&HttpRequestCenter::getScreenshotFinished)->getScreenshot();
}

void HttpRequestCenter::getScreenshotFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    const QString path = data ? data->value(u"image"_s).toString() : QString();
    if (path.isEmpty()) {
        hub()->post(Notifications::GetScreenshotFinished, {{u"isSuccess"_s, false}});
        return;
    }
    auto record = QuickTransferObject::create();
    record->path = path;
    record->size = kScreenshotSize;
    record->type = QuickTransferTypeImage;
    record->localPath = screenshotLocalPath(path);
    const QVariantMap object{{u"object"_s, QVariant::fromValue(record)}};
    hub()->post(Notifications::SaveQuickTransfer, object);
    hub()->post(Notifications::DoDownloadFile, object);
    hub()->post(Notifications::RefreshQuickTransferList);
    hub()->post(Notifications::GetScreenshotFinished,
                {{u"isSuccess"_s, true}, {u"object"_s, QVariant::fromValue(record)}});
}

void HttpRequestCenter::getQuickTransfer()
{
    newRequest(&HttpRequestCenter::getQuickTransferFinished)->getQuickTransfer();
}

void HttpRequestCenter::getQuickTransferFailed(bool isUnknown)
{
    hub()->post(Notifications::GetQuickTransferFailed, {{u"isUnknown"_s, isUnknown}});
}

void HttpRequestCenter::getQuickTransferFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    if (!data) {
        getQuickTransferFailed(false);
        return;
    }
    const QVariant typeValue = data->value(u"type"_s);
    const QString type =
        typeValue.typeId() == QMetaType::QString ? typeValue.toString() : QString();
    const bool isUnknown = type == u"unknown";
    QVariant dt = data->value(u"dt"_s);
    if (JsonUtils::isArray(dt) && dt.toList().size() <= 1)
        dt = dt.toList().value(0);
    if (JsonUtils::isObject(dt) || dt.typeId() == QMetaType::QString) {
        const auto record = QuickTransferObject::createWithDictionary(dt, type);
        if (record)
            dealWithFirstQuickTransfer(record);
        else
            getQuickTransferFailed(isUnknown);
        return;
    }
    if (!JsonUtils::isArray(dt)) {
        getQuickTransferFailed(isUnknown);
        return;
    }

    // Several files: every image after the first points to the first image of the transfer, so
    // the list shows them as one group. The transfer screen decides what to download.
    const QVariantList items = dt.toList();
    QList<QuickTransferObjectPtr> records;
    bool haveFirst = false;
    quint64 firstImageId = 0;
    for (const QVariant &item : items) {
        const auto record = QuickTransferObject::createWithDictionary(item, u"file"_s);
        if (!record)
            continue; // not an entry object: rejected, the others still arrive
        if (haveFirst && record->type == QuickTransferTypeImage)
            record->first_id = firstImageId;
        if (record->type != QuickTransferTypeFolder)
            hub()->post(Notifications::SaveQuickTransfer,
                        {{u"object"_s, QVariant::fromValue(record)}});
        if (record->type == QuickTransferTypeImage && firstImageId == 0)
            firstImageId = record->identifier;
        records << record;
        haveFirst = true;
    }
    if (records.isEmpty()) {
        getQuickTransferFailed(isUnknown);
        return;
    }
    QVariantList array;
    for (const auto &record : std::as_const(records))
        array << QVariant::fromValue(record);
    hub()->post(Notifications::GetNewQuickTransfer, {{u"array"_s, array}});
}

void HttpRequestCenter::dealWithFirstQuickTransfer(const QuickTransferObjectPtr &record)
{
    if (!record)
        return;
    const QVariantMap object{{u"object"_s, QVariant::fromValue(record)}};
    if (record->type != QuickTransferTypeFolder)
        hub()->post(Notifications::SaveQuickTransfer, object);
    hub()->post(Notifications::GetNewQuickTransfer, object);
    if ((record->isFile() && record->size < kHoldBackSize) ||
        record->type == QuickTransferTypeImage)
        hub()->post(Notifications::DoDownloadFile, object);
}

void HttpRequestCenter::downloadFileOrDirectroy(const FileObject &file)
{
    if (file.type == FileObject::File) {
        downloadFileObject(file);
        hub()->post(Notifications::RefreshQuickTransferList);
        return;
    }
    getDirectoryFileListToDownload(file.path);
}

void HttpRequestCenter::downloadFileObject(const FileObject &file)
{
    if (file.type != FileObject::File)
        return;
    const QVariantMap object{
        {u"object"_s, QVariant::fromValue(QuickTransferObject::createWithFileObject(file))}};
    hub()->post(Notifications::SaveQuickTransfer, object);
    hub()->post(Notifications::DoDownloadFile, object);
}

void HttpRequestCenter::getDirectoryFileListToDownload(const QString &path)
{
    HttpRequestMethod *request =
        newRequest(&HttpRequestCenter::getDirectoryFileListToDownloadFinished);
    request->setTagStr(path);
    request->getDirList(path);
}

void HttpRequestCenter::getDirectoryFileListToDownloadFinished(HttpRequestMethod *request,
                                                               const QVariant &responseObj)
{
    const auto data = successData(responseObj);
    const QVariant files = data ? data->value(u"files"_s) : QVariant();
    if (!JsonUtils::isArray(files)) {
        Q_EMIT directoryFileListToDownloadFinished(request->tagStr(), false, 0);
        return;
    }
    // One level only: the folder's own files, not what its sub-folders hold.
    int count = 0;
    for (const QVariant &entry : files.toList()) {
        const FileObject file(entry);
        // An element that is not an entry describes no file to fetch.
        if (file.type != FileObject::File || !JsonUtils::isObject(entry))
            continue;
        downloadFileObject(file);
        ++count;
    }
    hub()->post(Notifications::RefreshQuickTransferList);
    Q_EMIT directoryFileListToDownloadFinished(request->tagStr(), true, count);
}

void HttpRequestCenter::getClientList()
{
    newRequest(&HttpRequestCenter::getClientListFinished)->getClientList();
}

void HttpRequestCenter::getClientListFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    QVariantList clients;
    QVariantList blocks;
    const auto data = successData(responseObj);
    if (data) {
        if (JsonUtils::isArray(data->value(u"clients"_s)))
            clients = data->value(u"clients"_s).toList();
        if (JsonUtils::isArray(data->value(u"blocks"_s)))
            blocks = data->value(u"blocks"_s).toList();
    }
    const auto isAdmin = [](const QVariant &entry) {
        return JsonUtils::integerValue(entry.toMap().value(u"isadmin"_s)) != 0;
    };
    std::stable_partition(clients.begin(), clients.end(), isAdmin);
    // Only a real match moves an entry: with the phone's address unknown, an entry without an
    // address is not the phone's own.
    const QString own = DeviceInfoCenter::getLocalWiFiIPAddress().value_or(QString());
    if (clients.size() >= 2 && !own.isEmpty()) {
        for (qsizetype i = 1; i < clients.size(); ++i) {
            if (clients.at(i).toMap().value(u"ip"_s).toString() == own) {
                clients.swapItemsAt(0, i);
                break;
            }
        }
    }
    hub()->post(Notifications::GetClientListFinished,
                {{u"client"_s, clients}, {u"block"_s, blocks}, {u"result"_s, data.has_value()}});
}

void HttpRequestCenter::updateRateLimit(const QVariantMap &params)
{
    newRequest(&HttpRequestCenter::updateRateLimitFinished)->updateRateLimit(params);
}

void HttpRequestCenter::updateRateLimitFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    hub()->post(Notifications::UpdateLimitRateFinished, {{u"result"_s, isSuccess(responseObj)}});
}

void HttpRequestCenter::operateClient(const QVariantMap &params)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::operateClientFinished);
    request->setTag(int(JsonUtils::integerValue(params.value(u"type"_s))));
    request->operateClient(params);
}

void HttpRequestCenter::operateClientFinished(HttpRequestMethod *request,
                                              const QVariant &responseObj)
{
    hub()->post(Notifications::OperateClientFinished,
                {{u"result"_s, isSuccess(responseObj)}, {u"type"_s, request->tag()}});
}

bool HttpRequestCenter::isSameDay(const QDateTime &a, const QDateTime &b)
{
    return Utils::isSameDay(a, b);
}

void HttpRequestCenter::commitStatisticsIfDue()
{
    HttpRequestCenter *center = sharedInstance();
    if (!center)
        return;
    UserDefaults &defaults = center->m_defaults;
    const QDateTime last = defaults.value(DefaultsKeys::LastCommitStatisticsDate).toDateTime();
    if (last.isValid() && isSameDay(last, QDateTime::currentDateTime()))
        return;
    if (defaults.boolForKey(DefaultsKeys::IsNotFirstV2))
        center->commitStatistics();
}

void HttpRequestCenter::commitStatistics()
{
    // The report names the phone: at start-up the keychain may not have answered yet, and a
    // report sent then would name nobody.
    DeviceInfoCenter::requestDeviceId(this, [this](const QString &) { sendStatistics(); });
}

void HttpRequestCenter::sendStatistics()
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::commitStatisticsFinished);
    request->setTagStr(HttpTags::PlainJson);
    // The report text is made of these very counts, before anything else can count.
    m_reportedStatistics.insert(request, DeviceInfoCenter::getStatisticsCounts());
    request->commitStatistics();
}

void HttpRequestCenter::commitStatisticsFinished(HttpRequestMethod *request,
                                                 const QVariant &responseObj)
{
    const QVariantMap reported = m_reportedStatistics.take(request);
    if (!JsonUtils::isObject(responseObj))
        return;
    UserDefaults &defaults = m_defaults;
    defaults.setValue(DefaultsKeys::LastCommitStatisticsDate, QDateTime::currentDateTime());
    // Only what the report carried is taken off: counts made while it was on its way stay.
    DeviceInfoCenter::removeReportedStatistics(reported);
    defaults.synchronize();
}

void HttpRequestCenter::submitFeedbackText(const QString &text, const QString &contact)
{
    HttpRequestMethod *request = newRequest(&HttpRequestCenter::submitFeedbackFinished);
    request->setTagStr(HttpTags::PlainJson);
    request->uploadFeedbackWithContent(text, contact);
}

void HttpRequestCenter::submitFeedbackFinished(HttpRequestMethod *, const QVariant &responseObj)
{
    const qint64 err = JsonUtils::isObject(responseObj)
                           ? JsonUtils::integerValue(responseObj.toMap().value(u"errno"_s), 0)
                           : -1;
    if (err == 0) {
        UserDefaults &defaults = m_defaults;
        defaults.setValue(DefaultsKeys::FeedbackContent, QString());
        defaults.setValue(DefaultsKeys::FeedbackContact, QString());
        hub()->post(Notifications::SubmitFeedbackFinished,
                    {{u"isSuccess"_s, true}, {u"message"_s, u"提交成功"_s}});
    } else if (err == 3) {
        hub()->post(Notifications::SubmitFeedbackFinished,
                    {{u"isSuccess"_s, false}, {u"message"_s, u"您提交太频繁了，请稍后再试"_s}});
    } else {
        hub()->post(Notifications::SubmitFeedbackFinished,
                    {{u"isSuccess"_s, false}, {u"message"_s, u"提交失败"_s}});
    }
}
