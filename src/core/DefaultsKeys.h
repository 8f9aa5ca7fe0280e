#pragma once

#include <QString>

/// Keys of the user-defaults store.
namespace DefaultsKeys {
using namespace Qt::StringLiterals;

inline const QString IsNotFirstV2 = u"key_is_not_first_v2"_s;
inline const QString Uuid = u"key_uuid"_s;
inline const QString Token = u"key_token"_s;
inline const QString StatisticsDictionary = u"key_statistics_dictionary"_s;
inline const QString LastCommitStatisticsDate = u"key_last_commit_statistics_date"_s;
inline const QString HaveAccessedPhotoAlbum = u"have_accessed_photo_album"_s;
inline const QString FeedbackContent = u"key_feedback_content"_s;
inline const QString FeedbackContact = u"key_feedback_contact"_s;
inline const QString IntroductOpened = u"key_introduct_opened"_s;
} // namespace DefaultsKeys
