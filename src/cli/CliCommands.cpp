#include "CliContext.h"

using namespace Qt::StringLiterals;

QList<CliCommand> allCliCommands()
{
    QList<CliCommand> commands;
    commands << infoCommands() << apiCommands() << shakeCommands() << downloadCommands()
             << controlCommands() << hotspotCommands();
    // The order the usage lists them in: by what people do first.
    static const QStringList order{
        u"info"_s,       u"login"_s,   u"ls"_s,       u"rm"_s,      u"mv"_s,     u"rename"_s,
        u"shake"_s,      u"history"_s, u"download"_s, u"upload"_s,  u"listen"_s, u"mouse"_s,
        u"key"_s,        u"text"_s,    u"volume"_s,   u"ppt"_s,     u"lock"_s,   u"shutdown"_s,
        u"screenshot"_s, u"clients"_s, u"block"_s,    u"unblock"_s, u"limit"_s,  u"feedback"_s};
    std::stable_sort(commands.begin(), commands.end(),
                     [](const CliCommand &a, const CliCommand &b) {
                         return order.indexOf(a.name) < order.indexOf(b.name);
                     });
    return commands;
}
