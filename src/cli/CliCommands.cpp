#include "CliContext.h"

QList<CliCommand> allCliCommands()
{
    QList<CliCommand> commands;
    commands << infoCommands();
    commands << apiCommands();
    return commands;
}
