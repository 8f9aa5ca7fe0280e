#include "CliContext.h"

QList<CliCommand> allCliCommands()
{
    QList<CliCommand> commands;
    commands << infoCommands();
    return commands;
}
