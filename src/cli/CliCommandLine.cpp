#include "CliCommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {
const QString kProgram = u"zephyr-cli"_s;

QCommandLineOption jsonOption()
{
    return QCommandLineOption(u"json"_s, u"one JSON object per line on stdout"_s);
}

QCommandLineOption helpOption()
{
    return QCommandLineOption({u"h"_s, u"help"_s}, u"show the help"_s);
}

// A negative number ("-1", "-0.5") is a word of the command, never an option.
bool isNegativeNumber(const QString &word)
{
    static const QRegularExpression number(u"^-(\\d+(\\.\\d*)?|\\.\\d+)$"_s);
    return number.match(word).hasMatch();
}

// The words ordered for the parser: options (with their values) first, then "--" and the
// command's own words, so that negative numbers are not taken for options. Nothing when an
// option lacks its value.
std::optional<QStringList> forParser(const QStringList &words, const QList<CliOption> &options)
{
    QStringList optionWords;
    QStringList plain;
    bool onlyPlain = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (onlyPlain || !word.startsWith(u'-') || word == u"-"_s || isNegativeNumber(word)) {
            plain << word;
            continue;
        }
        if (word == u"--"_s) {
            onlyPlain = true;
            continue;
        }
        optionWords << word;
        const QString name = word.mid(word.startsWith(u"--"_s) ? 2 : 1);
        const bool takesValue = std::any_of(options.cbegin(), options.cend(), [&](const auto &o) {
            return o.name == name && !o.valueName.isEmpty();
        });
        if (takesValue) {
            if (i + 1 == words.size())
                return std::nullopt;
            optionWords << words[++i];
        }
    }
    return QStringList{kProgram} + optionWords + QStringList{u"--"_s} + plain;
}

std::optional<CliCommand> find(const QList<CliCommand> &commands, const QString &name)
{
    for (const CliCommand &c : commands)
        if (c.name == name)
            return c;
    return std::nullopt;
}

CliCommandLine::Parsed usageError(CliCommandLine::Parsed parsed, const QString &error)
{
    parsed.action = CliCommandLine::Action::UsageError;
    parsed.error = error;
    return parsed;
}
// Every command with its description.
QString commandList(const QList<CliCommand> &commands)
{
    QString text = u"commands:\n"_s;
    qsizetype width = 0;
    for (const CliCommand &c : commands)
        width = std::max(width, c.name.size());
    for (const CliCommand &c : commands)
        text += u"  "_s + c.name.leftJustified(width) + u"  "_s + c.description + u'\n';
    return text;
}

} // namespace

CliCommandLine::Parsed CliCommandLine::parse(const QStringList &words,
                                             const QList<CliCommand> &commands)
{
    Parsed parsed;
    // The program's own options stand before the command.
    const auto commandAt = std::find_if(words.cbegin(), words.cend(),
                                        [](const QString &w) { return !w.startsWith(u'-'); });
    QCommandLineParser global;
    global.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption version(u"version"_s, u"show the version"_s);
    global.addOptions({jsonOption(), helpOption(), version});
    const bool globalOk =
        global.parse(QStringList{kProgram} + QStringList(words.cbegin(), commandAt));
    parsed.json = global.isSet(u"json"_s);
    if (!globalOk)
        return usageError(parsed, global.errorText());
    if (global.isSet(version)) {
        parsed.action = Action::Version;
        return parsed;
    }
    if (commandAt == words.cend()) {
        if (global.isSet(u"help"_s)) {
            parsed.action = Action::Help;
            return parsed;
        }
        parsed.missingCommand = true;
        return usageError(parsed, u"no command given"_s);
    }

    const QString name = *commandAt;
    const QStringList rest(commandAt + 1, words.cend());
    if (name == u"help"_s || global.isSet(u"help"_s)) {
        QStringList asked = name == u"help"_s ? rest : QStringList{name};
        parsed.json = parsed.json || asked.removeAll(u"--json"_s) > 0;
        parsed.action = Action::Help;
        if (asked.size() > 1)
            return usageError(parsed, u"help takes one command"_s);
        if (!asked.isEmpty()) {
            parsed.command = find(commands, asked.first());
            if (!parsed.command)
                return usageError(parsed, u"unknown command: "_s + asked.first());
        }
        return parsed;
    }

    parsed.command = find(commands, name);
    if (!parsed.command)
        return usageError(parsed, u"unknown command: "_s + name);
    const CliCommand &command = *parsed.command;

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({jsonOption(), helpOption()});
    for (const CliOption &o : command.options)
        parser.addOption(QCommandLineOption(o.name, o.description, o.valueName));
    const auto ordered = forParser(rest, command.options);
    if (!ordered)
        return usageError(parsed, u"missing value after "_s + rest.last());
    if (!parser.parse(*ordered))
        return usageError(parsed, parser.errorText());
    parsed.json = parsed.json || parser.isSet(u"json"_s);
    if (parser.isSet(u"help"_s)) {
        parsed.action = Action::Help;
        return parsed;
    }
    for (const CliOption &o : command.options) {
        if (!parser.isSet(o.name))
            continue;
        if (o.valueName.isEmpty()) {
            parsed.args.flags.insert(o.name);
            continue;
        }
        const QStringList values = parser.values(o.name);
        if (values.size() > 1)
            return usageError(parsed, u"--%1 given more than once"_s.arg(o.name));
        parsed.args.values.insert(o.name, values.first());
    }
    parsed.args.positional = parser.positionalArguments();
    const qsizetype n = parsed.args.positional.size();
    if (n < command.minArgs || (command.maxArgs >= 0 && n > command.maxArgs))
        return usageError(parsed,
                          n < command.minArgs ? u"missing arguments"_s : u"too many arguments"_s);
    if (command.check) {
        if (const QString error = command.check(parsed.args); !error.isEmpty())
            return usageError(parsed, error);
    }
    parsed.action = Action::Run;
    return parsed;
}

QString CliCommandLine::usage(const CliCommand &command)
{
    return u"[--json] "_s + command.usage;
}

QString CliCommandLine::helpText(const QList<CliCommand> &commands)
{
    return u"usage: zephyr-cli "_s + usage() +
           u"\n       zephyr-cli help [COMMAND]\n       zephyr-cli --version\n\n"_s +
           commandList(commands) +
           u"\n--json prints every result and every failure as one JSON object per line.\n"
           u"Exit status: 0 success, 1 the operation failed, 2 wrong usage.\n"_s;
}

QString CliCommandLine::helpText(const CliCommand &command)
{
    QString text =
        u"usage: zephyr-cli "_s + usage(command) + u"\n\n"_s + command.description + u"\n"_s;
    if (!command.options.isEmpty()) {
        text += u"\noptions:\n"_s;
        QStringList names;
        qsizetype width = 0;
        for (const CliOption &o : command.options) {
            names << u"--"_s + o.name + (o.valueName.isEmpty() ? QString() : u" "_s + o.valueName);
            width = std::max(width, names.last().size());
        }
        for (qsizetype i = 0; i < names.size(); ++i)
            text += u"  "_s + names[i].leftJustified(width) + u"  "_s +
                    command.options[i].description + u'\n';
    }
    return text;
}
