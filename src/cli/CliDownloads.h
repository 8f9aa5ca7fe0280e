#pragma once

#include "CliContext.h"
#include "QuickTransferObject.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

/// Follows the downloads asked for while it lives ("notification_do_download_file") until each
/// has finished or failed; prints each finished record.
class CliDownloads : public QObject
{
public:
    explicit CliDownloads(CliContext &ctx);

    /// Also follows @p record (a download started before this tracker existed).
    void follow(const QuickTransferObjectPtr &record);
    /// Waits until every followed download has ended, as long as each makes progress within the
    /// stall limit. Returns the number of downloads that failed or stalled.
    int waitForAll();
    [[nodiscard]] int pendingCount() const { return int(m_pending.size()); }
    void setPrintFinished(bool print) { m_printFinished = print; }

private:
    void ended(const QVariantMap &info, bool ok);

    CliContext &m_ctx;
    QEventLoop m_loop;
    QTimer m_stall;
    QList<QuickTransferObjectPtr> m_pending;
    int m_failures = 0;
    bool m_printFinished = true;
};
