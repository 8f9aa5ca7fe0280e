#include "CliContext.h"

QList<CliCommand> allCliCommands()
{
    QList<CliCommand> commands;
    commands << infoCommands();
    commands << controlCommands(apiCommands());
    commands << apiCommands();
    commands << downloadCommands();
    commands << shakeCommands();
    return commands;
}
