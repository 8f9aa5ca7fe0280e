#pragma once

#include <QString>

/// Every name posted on the notification hub, spelled exactly as posted.
namespace Notifications {
using namespace Qt::StringLiterals;

inline const QString AppStatusChanged = u"notification_app_status_changed"_s;
inline const QString SsidChanged = u"notification_ssid_changed"_s;
inline const QString ClientCountChanged = u"notification_client_count_changed"_s;
inline const QString StartLogin = u"notification_start_login"_s;
inline const QString LoginFinished = u"notification_login_finished"_s;
inline const QString StartAuth = u"notification_start_auth"_s;
inline const QString AuthFinished = u"notification_auth_finished"_s;
inline const QString RemoteControlReceived = u"notification_remote_control_received"_s;
inline const QString CancelHttpRequest = u"notification_cancel_http_request"_s;
inline const QString DeviceShaked = u"notification_device_shaked"_s;
inline const QString GetNewQuickTransfer = u"notification_get_new_quicktransfer"_s;
inline const QString GetQuickTransferFailed = u"notification_get_quicktransfer_failed"_s;
inline const QString SaveQuickTransfer = u"notification_save_quicktransfer"_s;
inline const QString QuickTransferSaved = u"notification_quicktransfer_saved"_s;
inline const QString QuickTransferSaveFailed = u"notification_quicktransfer_save_failed"_s;
inline const QString DeleteQuickTransfer = u"notification_delete_quicktransfer"_s;
inline const QString RefreshQuickTransferList = u"notification_refresh_quicktransfer_list"_s;
inline const QString QuickTransferSizeChanged = u"notification_quicktransfer_size_changed"_s;
inline const QString DoDownloadFile = u"notification_do_download_file"_s;
inline const QString CancelDownloadFile = u"notification_cancel_download_file"_s;
inline const QString DownloadFileReceivedData = u"notification_download_file_received_data"_s;
inline const QString ToObjectDownloadFileReceivedData =
    u"notification_to_object_download_file_received_data"_s;
inline const QString DownloadFileFinished = u"notification_download_file_finished"_s;
inline const QString DownloadFileFailed = u"notification_download_file_failed"_s;
inline const QString UploadFileSuccessed = u"notification_upload_file_successed"_s;
inline const QString UploadFileAborted = u"notification_upload_file_aborted"_s;
inline const QString UploadActionSheetCanceled = u"notification_upload_actionsheet_canceled"_s;
inline const QString GetDirectoryListFinished = u"notification_get_directory_list_finished"_s;
inline const QString GetDirectoryFolderListFinished =
    u"notification_get_directory_folder_list_finished"_s;
inline const QString DeleteFileFinished = u"notification_delete_file_finished"_s;
inline const QString RenameFileFinished = u"notification_rename_file_finished"_s;
inline const QString MoveFileFinished = u"notification_move_file_finished"_s;
inline const QString FolderChosen = u"notification_folder_chosen"_s;
inline const QString GetVolumeFinished = u"notification_get_volume_finished"_s;
inline const QString GetIsPptExistFinished = u"notification_get_is_ppt_exist_finished"_s;
inline const QString LockScreenFinished = u"notification_lock_screen_finished"_s;
inline const QString ShutdownPcFinished = u"notification_shutdown_pc_finished"_s;
inline const QString GetScreenshotFinished = u"notification_get_screenshot_finished"_s;
inline const QString ButtonStateChanged = u"kVNButtonStateChanged"_s;
inline const QString GetClientListFinished = u"notification_get_client_list_finished"_s;
inline const QString UpdateLimitRateFinished = u"notification_update_limit_rate_finished"_s;
inline const QString OperateClientFinished = u"notification_operate_client_finished"_s;
inline const QString SubmitFeedbackFinished = u"notification_submit_feedback_finished"_s;
inline const QString MenuResignFirstResponser = u"notification_menu_resign_first_responser"_s;
inline const QString NetworkReachabilityChanged = u"NetworkReachabilityChangedNotification"_s;
} // namespace Notifications
