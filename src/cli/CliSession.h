#pragma once

#include "CliContext.h"

/// What commands that talk to the PC share: logging in and authorising before they act.
class CliSession
{
public:
    /// Logs in and authorises, then waits for the PC information and disks fetched on
    /// authorisation. Returns 0, or reports why (with the connection status) and returns 1.
    static int loginAndAuthorise(CliContext &ctx, int timeoutMs = 20000);
    /// The connection status in words.
    [[nodiscard]] static QString statusText(quint64 status);
};
