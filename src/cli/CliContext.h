#pragma once

#include "AppCore.h"

#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <optional>

/// What one zephyr-cli command works with: the running core, the output mode and helpers to wait
/// for answers on the notification hub and to print results.
class CliContext
{
public:
    CliContext(AppCore &core, bool json);

    [[nodiscard]] AppCore &core() const { return m_core; }
    [[nodiscard]] bool json() const { return m_json; }

    /// Waits for the next @p name on the hub (the event loop runs meanwhile); nothing on time-out.
    /// @p trigger runs after the observer is in place, so a synchronous answer is not missed.
    std::optional<QVariantMap> waitForNotification(const QString &name, int timeoutMs,
                                                   const std::function<void()> &trigger = {});
    /// Like waitForNotification, for the first of several names; the name is put in "name".
    std::optional<QVariantMap> waitForAny(const QStringList &names, int timeoutMs,
                                          const std::function<void()> &trigger = {});

    /// Prints one result: a JSON object per line with --json, else "key: value" lines.
    void print(const QVariantMap &result) const;
    /// Prints a failure message on stderr; returns the failure exit status 1.
    int fail(const QString &message) const;

    /// Turns values that travel in payloads (records, lists of them) into plain JSON values.
    [[nodiscard]] static QVariant toPlain(const QVariant &value);

private:
    AppCore &m_core;
    bool m_json;
};

/// One command of zephyr-cli.
struct CliCommand
{
    QString name;
    QString usage;
    /// Runs with the words after the command name; returns the exit status (0, 1, or 2 for usage).
    std::function<int(CliContext &, const QStringList &args)> run;
};

/// The command table; each group of commands adds itself in CliCommands.cpp.
[[nodiscard]] QList<CliCommand> allCliCommands();
QList<CliCommand> infoCommands();
QList<CliCommand> apiCommands();
QList<CliCommand> downloadCommands();
QList<CliCommand> shakeCommands();
/// Control channel and upload commands; "volume" joins the one of @p others of that name.
QList<CliCommand> controlCommands(const QList<CliCommand> &others);
