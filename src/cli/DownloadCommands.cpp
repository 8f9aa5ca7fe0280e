#include "CliContext.h"
#include "CliDownloads.h"
#include "CliRecords.h"
#include "CliSession.h"
#include "DataBaseCenter.h"
#include "HttpRequestCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
constexpr int kListMs = 20000;

std::optional<QList<FileObjectPtr>> listing(CliContext &ctx, const QString &path)
{
    const auto answer =
        ctx.waitForNotification(Notifications::GetDirectoryListFinished, kListMs, [&] {
            HttpRequestCenter::sharedInstance()->getDirectoryList(path);
        });
    if (!answer || !answer->value(u"result"_s).toBool())
        return std::nullopt;
    QList<FileObjectPtr> files;
    for (const QVariant &v : answer->value(u"array"_s).toList())
        if (const auto f = v.value<FileObjectPtr>())
            files << f;
    return files;
}

// The entry a PATH stands for, as its folder lists it (a drive as the disk list does).
FileObjectPtr entryOf(CliContext &ctx, QString path)
{
    static const QRegularExpression separator(u"[/\\\\]"_s);
    while (path.size() > 1 && separator.match(path.right(1)).hasMatch())
        path.chop(1);
    const qsizetype cut = path.lastIndexOf(separator);
    const QString parent = cut < 0 ? u"/"_s : path.left(cut + 1);
    const QString name = path.mid(cut + 1);
    if (const auto siblings = listing(ctx, parent)) {
        for (const auto &f : *siblings)
            if (f->path == path)
                return f;
        for (const auto &f : *siblings)
            if (f->name == name)
                return f;
    }
    return {};
}

// Hands @p entry to the coordinator's download; for a folder, waits until its listing has been
// handled. False when the folder could not be listed.
bool downloadEntry(const FileObject &entry)
{
    HttpRequestCenter *api = HttpRequestCenter::sharedInstance();
    if (entry.type == FileObject::File) {
        api->downloadFileOrDirectroy(entry);
        return true;
    }
    QEventLoop loop;
    QObject owner;
    std::optional<bool> listed;
    QObject::connect(api, &HttpRequestCenter::directoryFileListToDownloadFinished, &owner,
                     [&](const QString &path, bool success, int) {
                         if (path != entry.path || listed)
                             return;
                         listed = success;
                         loop.quit();
                     });
    QTimer::singleShot(kListMs, &loop, &QEventLoop::quit);
    api->downloadFileOrDirectroy(entry);
    if (!listed)
        loop.exec();
    return listed.value_or(false);
}

int download(CliContext &ctx, const QStringList &paths)
{
    if (const int rc = CliSession::loginAndAuthorise(ctx); rc != 0)
        return rc;
    // Everything named must exist before anything is fetched.
    QList<FileObjectPtr> entries;
    for (const QString &path : paths) {
        const auto entry = entryOf(ctx, path);
        if (!entry)
            return ctx.fail(u"no such file or folder on the PC: "_s + path);
        if (std::none_of(entries.cbegin(), entries.cend(),
                         [&entry](const FileObjectPtr &e) { return e->path == entry->path; }))
            entries << entry;
    }
    CliDownloads downloads(ctx);
    // A file named on its own and inside a named folder too is fetched once: the folders go
    // first, and a file already handed over is not asked for again.
    QStringList requested;
    QObject watcher;
    ctx.core().notificationCenter()->addObserver(
        &watcher, Notifications::DoDownloadFile, [&requested](const QVariantMap &info) {
            if (const auto r = info.value(u"object"_s).value<QuickTransferObjectPtr>())
                requested << r->path;
        });
    std::stable_partition(entries.begin(), entries.end(),
                          [](const FileObjectPtr &e) { return e->type != FileObject::File; });
    int failures = 0;
    for (const auto &entry : std::as_const(entries)) {
        if (entry->type == FileObject::File && requested.contains(entry->path))
            continue;
        if (!downloadEntry(*entry)) {
            ctx.fail(u"the PC did not list the folder: "_s + entry->path);
            ++failures;
        }
    }
    const int downloadFailures = downloads.waitForAll();
    CliRecords::print(ctx, downloads.finished());
    return downloadFailures + failures > 0 ? 1 : 0;
}

int history(CliContext &ctx, const CliArgs &)
{
    auto *store = DataBaseCenter::sharedInstance();
    if (!store->isOpen())
        return ctx.fail(u"the history cannot be opened"_s);
    CliRecords::print(ctx, store->getQuickTransfer());
    return 0;
}
} // namespace

QList<CliCommand> downloadCommands()
{
    return {
        {.name = u"history"_s,
         .usage = u"history"_s,
         .description =
             u"Lists the stored records, newest first: kind, size, state and name or text."_s,
         .run = history},
        {.name = u"download"_s,
         .usage = u"download PATH..."_s,
         .description = u"Downloads PC files (a folder: its direct files) into the history."_s,
         .minArgs = 1,
         .maxArgs = -1,
         .run = [](CliContext &ctx, const CliArgs &a) { return download(ctx, a.positional); }},
    };
}
