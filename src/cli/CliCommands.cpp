#include "CliContext.h"

#include <algorithm>

QList<CliCommand> allCliCommands()
{
    QList<CliCommand> commands;
    commands << infoCommands();
    const QList<CliCommand> api = apiCommands();
    const QList<CliCommand> control = controlCommands(api);
    commands << control;
    // A command of the control channel that joins one of the API's (volume) replaces it.
    for (const CliCommand &c : api)
        if (std::none_of(control.cbegin(), control.cend(),
                         [&c](const CliCommand &o) { return o.name == c.name; }))
            commands << c;
    commands << downloadCommands();
    commands << shakeCommands();
    return commands;
}
