#pragma once

#include "CliContext.h"
#include "QuickTransferObject.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

/// Follows the downloads asked for while it lives ("notification_do_download_file") until each
/// has finished or failed, shows their progress, and keeps the finished records.
class CliDownloads : public QObject
{
public:
    /// How long the downloads may go without progress or an end before the wait gives up.
    /// Longer than the download manager's own bound on a PC that stops sending, which normally
    /// fails such a download first.
    static constexpr int kDefaultStallMs = 90000;

    explicit CliDownloads(CliContext &ctx, int stallMs = kDefaultStallMs);

    /// Also follows @p record (a download started before this tracker existed).
    void follow(const QuickTransferObjectPtr &record);
    /// Waits until every followed download has ended, as long as they make progress within the
    /// stall limit. When the wait gives up, the downloads still followed are cancelled, so those
    /// running end through their failure path (history row and part file removed) before it
    /// returns. Reports each that failed or stalled and returns their number.
    int waitForAll();
    [[nodiscard]] int pendingCount() const { return int(m_pending.size()); }
    /// The records downloaded, in the order they finished.
    [[nodiscard]] const QList<QuickTransferObjectPtr> &finished() const { return m_finished; }

private:
    void ended(const QVariantMap &info, bool ok);
    void showProgress(bool force = false);

    CliContext &m_ctx;
    QEventLoop m_loop;
    QTimer m_stall;
    QList<QuickTransferObjectPtr> m_followed;
    QList<QuickTransferObjectPtr> m_pending;
    QList<QuickTransferObjectPtr> m_finished;
    int m_failures = 0;
};
