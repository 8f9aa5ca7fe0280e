#include "CliDownloads.h"

#include "HttpFileDownloadCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "Utils.h"

using namespace Qt::StringLiterals;

namespace {
QuickTransferObjectPtr recordOf(const QVariantMap &info)
{
    return info.value(u"object"_s).value<QuickTransferObjectPtr>();
}
} // namespace

CliDownloads::CliDownloads(CliContext &ctx, int stallMs) : m_ctx(ctx)
{
    m_stall.setSingleShot(true);
    m_stall.setInterval(stallMs);
    connect(&m_stall, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    auto *hub = NotificationCenter::defaultCenter();
    hub->addObserver(this, Notifications::DoDownloadFile,
                     [this](const QVariantMap &info) { follow(recordOf(info)); });
    hub->addObserver(this, Notifications::DownloadFileFinished,
                     [this](const QVariantMap &info) { ended(info, true); });
    hub->addObserver(this, Notifications::DownloadFileFailed,
                     [this](const QVariantMap &info) { ended(info, false); });
    hub->addObserver(this, Notifications::DownloadFileReceivedData, [this](const QVariantMap &) {
        m_stall.start();
        showProgress();
    });
}

void CliDownloads::follow(const QuickTransferObjectPtr &record)
{
    if (record && !m_pending.contains(record)) {
        m_pending << record;
        m_followed << record;
    }
}

void CliDownloads::showProgress(bool force)
{
    if (!m_ctx.showsProgress() || m_followed.isEmpty())
        return;
    quint64 received = 0;
    quint64 total = 0;
    for (const auto &r : std::as_const(m_followed)) {
        received += std::min(r->finishedSize, r->size);
        total += r->size;
    }
    const qsizetype done = m_followed.size() - m_pending.size();
    const double percent = total ? 100.0 * double(received) / double(total) : 100.0;
    m_ctx.progress(u"downloading: %1 of %2 done, %3 / %4 (%5%)"_s.arg(
                       QString::number(done), QString::number(m_followed.size()),
                       Utils::getSizeString(received), Utils::getSizeString(total),
                       QString::number(int(percent))),
                   force);
}

void CliDownloads::ended(const QVariantMap &info, bool ok)
{
    const auto record = recordOf(info);
    if (!record || !m_pending.removeOne(record))
        return;
    m_stall.start();
    if (!ok) {
        ++m_failures;
        m_ctx.fail(u"download failed: "_s + record->path);
    } else {
        m_finished << record;
    }
    showProgress(true);
    if (m_pending.isEmpty())
        m_loop.quit();
}

int CliDownloads::waitForAll()
{
    // Records the manager is not fetching never end: those it refused (no room on the phone),
    // and those it found complete on the phone, announced before they were followed here.
    auto *downloads = HttpFileDownloadCenter::sharedInstance();
    const QList<QuickTransferObjectPtr> followed = m_pending;
    for (const auto &r : followed) {
        if (downloads->isInDownloadingFileQueue(*r))
            continue;
        m_pending.removeOne(r);
        if (r->finishedSize == r->size) {
            m_finished << r;
        } else {
            ++m_failures;
            m_ctx.fail(u"not downloaded (no room on the phone?): "_s + r->path);
        }
    }
    if (!m_pending.isEmpty()) {
        showProgress(true);
        m_stall.start();
        m_loop.exec();
    }
    if (!m_pending.isEmpty()) {
        const qsizetype stalled = m_pending.size();
        // Each running download ends at once through its failure path, reported by ended();
        // those still waiting only leave the queue.
        QVariantList ids;
        for (const auto &r : std::as_const(m_pending))
            ids << QString::number(r->identifier);
        NotificationCenter::defaultCenter()->post(Notifications::CancelDownloadFile,
                                                  {{u"idArray"_s, ids}});
        m_failures += int(m_pending.size());
        m_pending.clear();
        m_ctx.fail(u"downloads stalled: %1 unfinished"_s.arg(stalled));
    }
    m_stall.stop();
    m_ctx.endProgress();
    return m_failures;
}
