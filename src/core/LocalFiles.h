#pragma once

#include "FileObject.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

/// Local files of the application and the addresses of files on the PC. Every local path built
/// from a name that the PC supplied goes through safeLocalPath(), so it never leaves its folder.
class LocalFiles
{
public:
    /// @p pcPath as a path inside @p folder: "/" and "\" separate levels, empty and "." parts
    /// are dropped. Empty when the name is refused (a ".." part, a NUL, or nothing left).
    [[nodiscard]] static QString safeLocalPath(const QString &folder, const QString &pcPath);

    /// Address of a PC file on the service address: "<api>pc/<path>?UA=<identity>". Invalid
    /// when there is no service address or the text does not make an address. A caller that
    /// already holds the identity string passes it as @p ua; otherwise it is built.
    [[nodiscard]] static QUrl getDownloadFileUrlByPcPath(const QString &pcPath,
                                                         const QString &ua = {});
    /// The same on "<api>csm/<path>", for files the PC pushed.
    [[nodiscard]] static QUrl getCSMFileUrlByPcPath(const QString &pcPath, const QString &ua = {});
    /// Escapes the text of an address: characters legal in an address stay, others are UTF-8
    /// percent-escaped. Inside the PC path "?", "#" and "%" are escaped too, so a file name that
    /// holds them still names the whole path.
    /// Without @p withUa the address ends after the path (the preview download).
    [[nodiscard]] static QUrl fileUrl(const QString &api, const QString &prefix,
                                      const QString &pcPath, const QString &ua, bool withUa = true);

    /// Whether a valid local copy of @p file exists in @p folder (default: the "file" folder):
    /// same size and a creation date equal to the file's last modification. A stale copy is
    /// deleted.
    [[nodiscard]] static bool isFileExist(const FileObject &file, const QString &folder = {});

    /// The file's creation date as this application recorded it (see setCreationDate), else the
    /// file system's birth time; nothing when neither is known.
    [[nodiscard]] static std::optional<QDateTime> creationDate(const QString &path);
    /// Records @p date as the creation date of the file at @p path: in the extended attribute
    /// "user.zephyr.created", or in the folder's side index when the file system refuses it.
    static bool setCreationDate(const QString &path, const QDateTime &date);

    /// Where a download into @p finalPath is written until it is complete: a file of the
    /// Library's hidden folder kPartialFolder named by a hash of @p finalPath, so that no name
    /// the PC chooses can be the part file of another download. Empty when @p finalPath is.
    [[nodiscard]] static QString partialPath(const QString &library, const QString &finalPath);
    /// The folder of the part files in @p library.
    [[nodiscard]] static QString partialFolder(const QString &library);

    /// The Library's folder of part files; PC names land only in its other folders.
    static inline const char *kPartialFolder = ".partial";
    /// Name of the side index of creation dates kept in a folder whose files refuse attributes.
    static inline const char *kSideIndexName = ".zephyr-created";
};
