#pragma once

// Runs zephyr-cli (path in ZEPHYR_CLI_BIN) against a stand-in PC, with its own data and
// keychain folders kept across the runs of one runner: cli.run({u"ls"_s, u"C:/"_s}) with --json,
// cli.run(..., false) for people.

#include "PcSim.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <algorithm>
#include <memory>

/// What one run printed and how it ended.
struct CliRun
{
    /// The exit status; -1 when it crashed or did not end in time.
    int status = -1;
    QByteArray out;
    QByteArray err;

    /// What stdout holds as JSON objects, one per line, and as lines.
    [[nodiscard]] QList<QJsonObject> json() const
    {
        QList<QJsonObject> objects;
        for (const QByteArray &line : out.split('\n'))
            if (!line.isEmpty())
                objects << QJsonDocument::fromJson(line).object();
        return objects;
    }
    [[nodiscard]] QStringList lines() const
    {
        QStringList lines = QString::fromUtf8(out).split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    [[nodiscard]] QString errText() const { return QString::fromUtf8(err); }
    [[nodiscard]] bool isJsonOnly() const
    {
        const QList<QByteArray> all = out.split('\n');
        return std::all_of(all.begin(), all.end(), [](const QByteArray &line) {
            return line.isEmpty() || QJsonDocument::fromJson(line).isObject();
        });
    }
};

class CliRunner
{
public:
    explicit CliRunner(const PcSim &pc) : m_pc(pc) {}

    /// The binary under test; empty when the build did not say where it is.
    [[nodiscard]] static QString binary() { return qEnvironmentVariable("ZEPHYR_CLI_BIN"); }

    [[nodiscard]] QString dataPath() const { return m_dirs.filePath(QStringLiteral("data")); }

    /// The environment of a run: this PC, a fresh free UDP port, no desktop keychain.
    [[nodiscard]] QProcessEnvironment environment() const
    {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZEPHYR_DATA_DIR"), dataPath());
        env.insert(QStringLiteral("ZEPHYR_KEYCHAIN_DIR"), m_dirs.filePath(QStringLiteral("kc")));
        env.insert(QStringLiteral("ZEPHYR_PC_ADDRESS"), QStringLiteral("127.0.0.1"));
        env.insert(QStringLiteral("ZEPHYR_WIFI_ADDRESS"), QStringLiteral("127.0.0.1"));
        env.insert(QStringLiteral("ZEPHYR_SSID"), QStringLiteral("ZephyrWiFi"));
        env.insert(QStringLiteral("ZEPHYR_PC_PORT"), QString::number(m_pc.port));
        env.insert(QStringLiteral("ZEPHYR_UDP_PORT"), QString::number(probe.localPort()));
        env.insert(QStringLiteral("ZEPHYR_FEEDBACK_URL"), m_pc.feedbackUrl);
        env.insert(QStringLiteral("ZEPHYR_STATS_URL"), m_pc.statsUrl);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        return env;
    }

    /// Starts a run and leaves it running; run() waits for its end.
    [[nodiscard]] std::unique_ptr<QProcess> start(const QStringList &args, bool json = true) const
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment());
        process->start(binary(), json ? QStringList{QStringLiteral("--json")} + args : args);
        return process;
    }

    [[nodiscard]] CliRun run(const QStringList &args, bool json = true) const
    {
        return finish(*start(args, json));
    }

    /// Runs to the end with stderr (and stdout) on a terminal, through script(1) of util-linux.
    /// Both streams arrive together in `out`, with the terminal's line ends.
    [[nodiscard]] CliRun runOnTerminal(const QStringList &args) const
    {
        QStringList quoted{binary()};
        for (const QString &a : args)
            quoted << u'\'' + QString(a).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStandardPaths::findExecutable(QStringLiteral("script")),
                      {QStringLiteral("-qec"), quoted.join(u' '), QStringLiteral("/dev/null")});
        return finish(process);
    }

    static CliRun finish(QProcess &process)
    {
        CliRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
        } else if (process.exitStatus() == QProcess::NormalExit) {
            run.status = process.exitCode();
        }
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

private:
    const PcSim &m_pc;
    QTemporaryDir m_dirs;
};

/// Starts a stand-in PC into @p pc and a runner against it into @p cli, as every command test
/// does first; returns why that failed, or "" when both are ready.
inline QString startPcAndCli(std::unique_ptr<PcSim> &pc, std::unique_ptr<CliRunner> &cli)
{
    if (CliRunner::binary().isEmpty())
        return QStringLiteral("ZEPHYR_CLI_BIN is not set: run the test through ctest");
    pc = std::make_unique<PcSim>();
    if (!pc->start())
        return pc->errorString();
    cli = std::make_unique<CliRunner>(*pc);
    return {};
}
