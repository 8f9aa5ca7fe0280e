#include "CliContext.h"
#include "CliDownloads.h"
#include "CliSession.h"
#include "DataBaseCenter.h"
#include "HttpFileDownloadCenter.h"
#include "HttpRequestCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {
constexpr int kListMs = 20000;

std::optional<QList<FileObjectPtr>> listing(CliContext &ctx, const QString &path)
{
    const auto answer = ctx.waitForNotification(Notifications::GetDirectoryListFinished, kListMs,
                                                [&] {
                                                    HttpRequestCenter::sharedInstance()
                                                        ->getDirectoryList(path);
                                                });
    if (!answer || !answer->value(u"result"_s).toBool())
        return std::nullopt;
    QList<FileObjectPtr> files;
    for (const QVariant &v : answer->value(u"array"_s).toList())
        if (const auto f = v.value<FileObjectPtr>())
            files << f;
    return files;
}

// The files a PATH stands for: a folder's direct files, or the file itself as its folder
// lists it.
std::optional<QList<FileObjectPtr>> filesOf(CliContext &ctx, const QString &path)
{
    if (const auto inFolder = listing(ctx, path)) {
        QList<FileObjectPtr> files;
        for (const auto &f : *inFolder)
            if (f->type == FileObject::File)
                files << f;
        return files;
    }
    const qsizetype cut = path.lastIndexOf(QRegularExpression(u"[/\\\\]"_s));
    const QString parent = cut < 0 ? u"/"_s : path.left(cut + 1);
    const QString name = path.mid(cut + 1);
    if (const auto siblings = listing(ctx, parent)) {
        for (const auto &f : *siblings)
            if (f->type == FileObject::File && (f->path == path || f->name == name))
                return QList<FileObjectPtr>{f};
    }
    return std::nullopt;
}

int download(CliContext &ctx, const QStringList &paths)
{
    if (paths.isEmpty())
        return 2;
    if (const int rc = CliSession::loginAndAuthorise(ctx); rc != 0)
        return rc;
    QList<FileObjectPtr> files;
    for (const QString &path : paths) {
        const auto found = filesOf(ctx, path);
        if (!found)
            return ctx.fail(u"no such file or folder on the PC: "_s + path);
        // A file named twice (or inside a named folder too) is fetched once.
        for (const auto &f : *found)
            if (std::none_of(files.cbegin(), files.cend(),
                             [&f](const FileObjectPtr &g) { return g->path == f->path; }))
                files << f;
    }
    CliDownloads downloads(ctx);
    for (const auto &f : files)
        HttpFileDownloadCenter::sharedInstance()->downloadFileObject(*f);
    return downloads.waitForAll() ? 1 : 0;
}

int history(CliContext &ctx, const QStringList &args)
{
    if (!args.isEmpty())
        return 2;
    auto *store = DataBaseCenter::sharedInstance();
    if (!store->isOpen())
        return ctx.fail(u"the history cannot be opened"_s);
    for (const auto &r : store->getQuickTransfer())
        ctx.print(r->toVariantMap());
    return 0;
}
} // namespace

QList<CliCommand> downloadCommands()
{
    return {
        {u"history"_s, u"history"_s, history},
        {u"download"_s, u"download PATH..."_s, download},
    };
}
