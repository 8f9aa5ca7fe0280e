#include "CliContext.h"
#include "CliDownloads.h"
#include "CliRecords.h"
#include "CliSession.h"
#include "HttpRequestCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferArrival.h"

using namespace Qt::StringLiterals;

namespace {
constexpr int kAnswerMs = 40000;

void postDownload(const QuickTransferObjectPtr &record)
{
    NotificationCenter::defaultCenter()->post(Notifications::DoDownloadFile,
                                              {{u"object"_s, QVariant::fromValue(record)}});
}

// The screenshot the PC takes in place of a selection: saved, downloaded and printed.
int screenshot(CliContext &ctx, CliDownloads &downloads)
{
    const auto answer =
        ctx.waitForNotification(Notifications::GetScreenshotFinished, kAnswerMs,
                                [] { HttpRequestCenter::sharedInstance()->getScreenshot(); });
    if (!answer || !answer->value(u"isSuccess"_s).toBool())
        return ctx.fail(u"电脑在锁屏或休眠状态下无法抓取屏幕"_s);
    const int failures = downloads.waitForAll();
    CliRecords::print(ctx, downloads.finished());
    return failures ? 1 : 0;
}

int shake(CliContext &ctx, const CliArgs &args)
{
    const bool downloadAll = args.has(u"download-all"_s);
    if (const int rc = CliSession::loginAndAuthorise(ctx); rc != 0)
        return rc;
    CliDownloads downloads(ctx);
    const auto answer =
        ctx.waitForAny({Notifications::GetNewQuickTransfer, Notifications::GetQuickTransferFailed},
                       kAnswerMs, [] { HttpRequestCenter::sharedInstance()->getQuickTransfer(); });
    if (!answer)
        return ctx.fail(u"the PC did not answer the shake"_s);
    if (answer->value(u"name"_s) == Notifications::GetQuickTransferFailed) {
        if (!answer->value(u"isUnknown"_s).toBool())
            return ctx.fail(u"抱歉，没能抓到电脑屏幕上的内容~"_s);
        return screenshot(ctx, downloads);
    }

    const QuickTransferArrival arrival = QuickTransferArrival::decide(*answer);
    if (arrival.isFailure())
        return ctx.fail(u"抱歉，没能抓到电脑屏幕上的内容~"_s);
    for (const auto &record : arrival.downloadNow)
        postDownload(record);
    if (downloadAll && arrival.waitsForUser) {
        postDownload(arrival.current);
        for (const auto &record : arrival.setAside)
            postDownload(record);
    }
    const int failures = downloads.waitForAll();

    QList<QuickTransferObjectPtr> shown{arrival.current};
    shown << arrival.setAside;
    for (const auto &record : arrival.downloadNow)
        if (!shown.contains(record))
            shown << record;
    CliRecords::print(
        ctx, shown, arrival.waitsForUser && !downloadAll ? shown : QList<QuickTransferObjectPtr>{});
    return failures ? 1 : 0;
}

int screenshotCommand(CliContext &ctx, const CliArgs &)
{
    if (const int rc = CliSession::loginAndAuthorise(ctx); rc != 0)
        return rc;
    CliDownloads downloads(ctx);
    return screenshot(ctx, downloads);
}
} // namespace

QList<CliCommand> shakeCommands()
{
    return {
        {.name = u"shake"_s,
         .usage = u"shake [--download-all]"_s,
         .description = u"Fetches what the PC user has selected: saves it, downloads what is due "
                        u"and prints the records."_s,
         .options = {{u"download-all"_s, {}, u"also download files held back for the user"_s}},
         .run = shake},
        {.name = u"screenshot"_s,
         .usage = u"screenshot"_s,
         .description = u"Takes a screenshot of the PC and downloads it into the history."_s,
         .run = screenshotCommand},
    };
}
