#pragma once

#include "AppCore.h"
#include "CliOutput.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

/// What one zephyr-cli command works with: the running core, the output, and helpers to wait
/// for answers on the notification hub. A record the history fails to store is reported as a
/// failure when it happens, and counted.
class CliContext : public CliOutput
{
public:
    CliContext(AppCore &core, bool json);
    ~CliContext();
    CliContext(const CliContext &) = delete;
    CliContext &operator=(const CliContext &) = delete;

    /// Records the history failed to store since the command began.
    [[nodiscard]] int saveFailures() const { return m_saveFailures; }

    [[nodiscard]] AppCore &core() const { return m_core; }

    /// The usage line of the command being run.
    void setUsage(const QString &usage) { m_usage = usage; }
    /// Reports that the command's words are wrong; returns the exit status 2.
    int usageError(const QString &message) { return CliOutput::usageError(message, m_usage); }

    /// Waits for the next @p name on the hub (the event loop runs meanwhile); nothing on time-out.
    /// @p trigger runs after the observer is in place, so a synchronous answer is not missed.
    std::optional<QVariantMap> waitForNotification(const QString &name, int timeoutMs,
                                                   const std::function<void()> &trigger = {});
    /// Like waitForNotification, for the first of several names; the name is put in "name".
    std::optional<QVariantMap> waitForAny(const QStringList &names, int timeoutMs,
                                          const std::function<void()> &trigger = {});

    /// Waits (the event loop runs meanwhile) until the device identifier is known and the
    /// system has reported the WiFi name, at most @p timeoutMs.
    void waitUntilSettled(int timeoutMs);

private:
    AppCore &m_core;
    QString m_usage;
    std::unique_ptr<QObject> m_observer;
    int m_saveFailures = 0;
};

/// An option of a command: a flag, or with a value when it has a value name.
struct CliOption
{
    QString name;
    QString valueName;
    QString description;
};

/// The words given to a command, parsed against its options.
struct CliArgs
{
    QStringList positional;
    /// Option values by option name (without dashes).
    QMap<QString, QString> values;
    QSet<QString> flags;

    [[nodiscard]] bool has(const QString &option) const
    {
        return values.contains(option) || flags.contains(option);
    }
    [[nodiscard]] QString value(const QString &option) const { return values.value(option); }
};

/// One command of zephyr-cli.
struct CliCommand
{
    QString name = {};
    /// The words after "zephyr-cli [--json]", as the usage line shows them.
    QString usage = {};
    QString description = {};
    QList<CliOption> options = {};
    /// How many words besides the options it takes; maxArgs -1 for any number.
    int minArgs = 0;
    int maxArgs = 0;
    /// Checks the words before anything starts; returns what is wrong with them, or nothing.
    std::function<QString(const CliArgs &)> check = {};
    /// Runs with the parsed words; returns the exit status (0, 1, or 2 for usage).
    std::function<int(CliContext &, const CliArgs &)> run = {};
};

/// The command table, in the order the usage lists it.
[[nodiscard]] QList<CliCommand> allCliCommands();
QList<CliCommand> infoCommands();
QList<CliCommand> apiCommands();
QList<CliCommand> hotspotCommands();
QList<CliCommand> downloadCommands();
QList<CliCommand> shakeCommands();
QList<CliCommand> controlCommands();
