#include "AppConfig.h"
#include "AppCore.h"
#include "AppWiring.h"
#include "CliContext.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
int usage(const QList<CliCommand> &commands)
{
    std::fputs("usage: zephyr-cli [--json] COMMAND [ARGS]\n", stderr);
    for (const CliCommand &c : commands)
        std::fputs(qPrintable(u"  "_s + c.usage + u'\n'), stderr);
    return 2;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"ZephyrWiFi"_s);
    QCoreApplication::setApplicationName(u"zephyr-wifi"_s);

    QStringList args = app.arguments().mid(1);
    bool json = false;
    if (!args.isEmpty() && args.first() == u"--json") {
        json = true;
        args.removeFirst();
    }
    const QList<CliCommand> commands = allCliCommands();
    if (args.isEmpty())
        return usage(commands);
    const QString name = args.takeFirst();
    auto it = std::find_if(commands.cbegin(), commands.cend(),
                           [&name](const CliCommand &c) { return c.name == name; });
    if (it == commands.cend())
        return usage(commands);

    AppConfig config = AppConfig::fromEnvironment();
    QDir().mkpath(config.dataDir);
    auto platform = Platform::createDefault(QDir(config.dataDir).filePath(u"settings.ini"_s),
                                            config.keychainDir, config.preferSecretService);
    AppCore core(config, std::move(platform));
    core.start(AppWiring::startupHooks());
    CliContext ctx(core, json);
    const int status = it->run(ctx, args);
    if (status == 2) {
        std::fputs(qPrintable(u"usage: zephyr-cli [--json] "_s + it->usage + u'\n'), stderr);
    }
    return status;
}
