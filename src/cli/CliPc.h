#pragma once

#include "CliContext.h"

#include <optional>

/// What the commands that talk to the PC over HTTP share.
namespace CliPc {
/// Requests time out after 30 s; the answer notification follows at once.
constexpr int AnswerMs = 35000;

/// A command that logs in and authorises before it runs.
[[nodiscard]] CliCommand command(CliCommand command);

/// Sends a request and waits for its answer notification (without the hub's "name").
std::optional<QVariantMap> ask(CliContext &ctx, const QString &answer,
                               const std::function<void()> &request);

/// Prints the answer and returns 0; fails with @p message when there is none or when @p okKey
/// is given and not true in it.
int report(CliContext &ctx, const std::optional<QVariantMap> &answer, const QString &okKey,
           const QString &message);
} // namespace CliPc
