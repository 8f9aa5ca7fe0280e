#pragma once

#include "CliContext.h"

/// Reads zephyr-cli's command line: "[--json] COMMAND [ARGS]", "help [COMMAND]", "--version".
class CliCommandLine
{
public:
    enum class Action { Run, Help, Version, UsageError };

    struct Parsed
    {
        Action action = Action::UsageError;
        bool json = false;
        /// The command to run, or whose help is asked for (none: the general help).
        std::optional<CliCommand> command;
        CliArgs args;
        /// What is wrong with the words, for a usage error.
        QString error;
        /// The usage error is that no command was given.
        bool missingCommand = false;
    };

    /// Parses the words after the program name against @p commands.
    [[nodiscard]] static Parsed parse(const QStringList &words, const QList<CliCommand> &commands);

    /// The general help: the usage line and every command with its description.
    [[nodiscard]] static QString helpText(const QList<CliCommand> &commands);
    /// One command's help: its usage line, description and options.
    [[nodiscard]] static QString helpText(const CliCommand &command);
    /// The usage line of the program.
    [[nodiscard]] static QString usage() { return QStringLiteral("[--json] COMMAND [ARGS]"); }
    /// The usage line of one command.
    [[nodiscard]] static QString usage(const CliCommand &command);
};
