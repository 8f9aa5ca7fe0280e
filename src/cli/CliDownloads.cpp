#include "CliDownloads.h"

#include "HttpFileDownloadCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"

using namespace Qt::StringLiterals;

namespace {
// A download may take long; each one must make progress at least this often.
constexpr int kStallMs = 60000;

QuickTransferObjectPtr recordOf(const QVariantMap &info)
{
    return info.value(u"object"_s).value<QuickTransferObjectPtr>();
}
} // namespace

CliDownloads::CliDownloads(CliContext &ctx) : m_ctx(ctx)
{
    m_stall.setSingleShot(true);
    m_stall.setInterval(kStallMs);
    connect(&m_stall, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    auto *hub = NotificationCenter::defaultCenter();
    hub->addObserver(this, Notifications::DoDownloadFile,
                     [this](const QVariantMap &info) { follow(recordOf(info)); });
    hub->addObserver(this, Notifications::DownloadFileFinished,
                     [this](const QVariantMap &info) { ended(info, true); });
    hub->addObserver(this, Notifications::DownloadFileFailed,
                     [this](const QVariantMap &info) { ended(info, false); });
    hub->addObserver(this, Notifications::DownloadFileReceivedData,
                     [this](const QVariantMap &) { m_stall.start(); });
}

void CliDownloads::follow(const QuickTransferObjectPtr &record)
{
    if (record && !m_pending.contains(record))
        m_pending << record;
}

void CliDownloads::ended(const QVariantMap &info, bool ok)
{
    const auto record = recordOf(info);
    if (!record || !m_pending.removeOne(record))
        return;
    if (!ok) {
        ++m_failures;
        m_ctx.fail(u"download failed: "_s + record->path);
    } else if (m_printFinished) {
        m_ctx.print(record->toVariantMap());
    }
    if (m_pending.isEmpty())
        m_loop.quit();
}

int CliDownloads::waitForAll()
{
    // Records the manager did not take (no room on the phone, already complete) never end.
    auto *downloads = HttpFileDownloadCenter::sharedInstance();
    const QList<QuickTransferObjectPtr> followed = m_pending;
    for (const auto &r : followed) {
        if (!downloads->isInDownloadingFileQueue(*r) && r->finishedSize != r->size) {
            m_pending.removeOne(r);
            ++m_failures;
            m_ctx.fail(u"not downloaded (no room on the phone?): "_s + r->path);
        }
    }
    if (!m_pending.isEmpty()) {
        m_stall.start();
        m_loop.exec();
    }
    if (!m_pending.isEmpty()) {
        m_ctx.fail(u"downloads stalled: %1 unfinished"_s.arg(m_pending.size()));
        m_failures += int(m_pending.size());
        m_pending.clear();
    }
    return m_failures;
}
