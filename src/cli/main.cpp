#include "AppConfig.h"
#include "AppCore.h"
#include "AppWiring.h"
#include "CliCommandLine.h"
#include "CliContext.h"
#include "DeviceInfoCenter.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
void write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void printText(const QString &text)
{
    write(stdout, text);
}

// Help and the version need no core: they are printed before it starts.
int help(const CliCommandLine::Parsed &parsed, const QList<CliCommand> &commands)
{
    CliOutput out(parsed.json);
    if (!parsed.json) {
        printText(parsed.command ? CliCommandLine::helpText(*parsed.command)
                                 : CliCommandLine::helpText(commands));
        return 0;
    }
    if (parsed.command) {
        out.print({{u"command"_s, parsed.command->name},
                   {u"usage"_s, u"zephyr-cli "_s + CliCommandLine::usage(*parsed.command)},
                   {u"description"_s, parsed.command->description}});
        return 0;
    }
    QVariantList list;
    for (const CliCommand &c : commands)
        list << QVariantMap{{u"command"_s, c.name},
                            {u"usage"_s, u"zephyr-cli "_s + CliCommandLine::usage(c)},
                            {u"description"_s, c.description}};
    out.print({{u"usage"_s, u"zephyr-cli "_s + CliCommandLine::usage()}, {u"commands"_s, list}});
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"ZephyrWiFi"_s);
    QCoreApplication::setApplicationName(u"zephyr-wifi"_s);
    QCoreApplication::setApplicationVersion(DeviceInfoCenter::getAppVersion());

    const QList<CliCommand> commands = allCliCommands();
    const CliCommandLine::Parsed parsed = CliCommandLine::parse(app.arguments().mid(1), commands);
    switch (parsed.action) {
    case CliCommandLine::Action::UsageError:
        if (parsed.command)
            return CliOutput(parsed.json)
                .usageError(parsed.error, CliCommandLine::usage(*parsed.command));
        if (parsed.missingCommand) {
            // People are shown the usage and the commands.
            write(stderr, CliCommandLine::helpText(commands));
            if (parsed.json)
                CliOutput(true).print({{u"error"_s, parsed.error},
                                       {u"usage"_s, u"zephyr-cli "_s + CliCommandLine::usage()}});
            return 2;
        }
        return CliOutput(parsed.json).usageError(parsed.error, CliCommandLine::usage());
    case CliCommandLine::Action::Help:
        return help(parsed, commands);
    case CliCommandLine::Action::Version:
        if (parsed.json)
            CliOutput(true).print({{u"version"_s, QCoreApplication::applicationVersion()}});
        else
            printText(u"zephyr-cli "_s + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    case CliCommandLine::Action::Run:
        break;
    }

    AppConfig config = AppConfig::fromEnvironment();
    QDir().mkpath(config.dataDir);
    auto platform = Platform::createDefault(QDir(config.dataDir).filePath(u"settings.ini"_s),
                                            config.keychainDir, config.preferSecretService);
    AppCore core(config, std::move(platform));
    if (!core.start(AppWiring::startupHooks()))
        return CliOutput(parsed.json).fail(core.startError());
    CliContext ctx(core, parsed.json);
    ctx.setUsage(CliCommandLine::usage(*parsed.command));
    const int status = parsed.command->run(ctx, parsed.args);
    ctx.endProgress();
    // A record the history could not store was reported when it happened; the run failed.
    return status == 0 && ctx.saveFailures() > 0 ? 1 : status;
}
