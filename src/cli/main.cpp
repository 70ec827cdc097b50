// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli: the meter from the shell. Arguments are parsed and checked in full before anything
// is sent to the meter; then one command runs the core's procedures on this thread. This file only
// picks the command; each command lives in its own file.
#include "cli/command.h"
#include "cli/interrupt.h"

#include "core/language.h"
#include "core/settings.h"

#include <QCoreApplication>

using namespace krx;
using namespace krx::cli;

namespace {

// The commands in the order --help lists them.
const Command* const kCommandTable[] = {
    &kListCommand, &kInfoCommand, &kMeasureCommand, &kMemoryCommand, &kSetupCommand, &kHistoryCommand, &kFiguresCommand,
    &kPlanCommand,
};

// "list, info, measure, memory, setup, history, figures or plan"
QString CommandChoice()
{
    QStringList names;
    for (const Command* c : kCommandTable)
        names << QString::fromLatin1(c->name);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QCoreApplication::translate("cli", " or ") + last;
}

QString CommandsHelp()
{
    QString text = QCoreApplication::translate("cli", "Commands:\n");
    for (const Command* c : kCommandTable)
        text += QCoreApplication::translate("cli", c->summary);
    return text + QCoreApplication::translate("cli", "\nkrx738-cli COMMAND --help shows the options of a command.\n");
}

const Command* Find(const QString& name)
{
    for (const Command* c : kCommandTable)
        if (name == QLatin1String(c->name))
            return c;
    return nullptr;
}

// -1: --version came after the command, said by the caller.
int Dispatch(const QString& name, const QStringList& rest, Globals& g)
{
    const Command* command = Find(name);
    if (!command)
        throw UsageError{QCoreApplication::translate("cli", "'%1' is not a command; choose %2").arg(name, CommandChoice())};
    QCommandLineParser p;
    const Run run = command->parse(p, rest, g);
    if (!run)
        return kDone;  // the command's help was printed
    if (g.version)
        return -1;
    if (const int rc = Prepare(g); rc != kDone)
        return rc;
    return run();
}

}  // namespace

int main(int argc, char** argv)
{
    // Before any other thread exists, so that every thread inherits the blocked signals.
    Interrupt::Instance().Install();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krx738-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KRX_VERSION));

    const QString version = QStringLiteral("krx738-cli " KRX_VERSION "\n"
                                           "License GPL-3.0-or-later <https://gnu.org/licenses/gpl.html>\n");
    // Before any text is made: --language may stand after the command, and the help and every
    // message speak it. A value that is no language is said once the options are parsed.
    QString languageArgument;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1String("--language=")))
            languageArgument = arguments[i].mid(11);
        else if (arguments[i] == QLatin1String("--language") && i + 1 < arguments.size())
            languageArgument = arguments[i + 1];
    }
    for (const QString& file : UseLanguage(ChosenLanguage(languageArgument,
                                                          CurrentSettingsPlaces().Read(QStringLiteral("Language"), QString()),
                                                          LanguageEnvironment::FromProcess())))
        Error(QCoreApplication::translate("cli", "%1 not found; messages stay in English").arg(file));

    QCommandLineParser top;
    AddGlobals(top);
    top.addPositionalArgument(QStringLiteral("command"), CommandChoice());
    top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    Globals g;
    try {
        if (!top.parse(Normalise(QCoreApplication::arguments())))
            throw UsageError{MessageStyle(top.errorText())};
        TakeGlobals(top, g);
        const QStringList pos = top.positionalArguments();
        if (g.version) {
            Print(version);
            return kDone;
        }
        if (pos.isEmpty()) {
            if (g.help) {
                Print(Help(top, QCoreApplication::translate("cli", "krx738-cli [global options] COMMAND [options]"),
                           QCoreApplication::translate("cli", "The KRX 738 insulation-resistance meter from the shell: data on standard "
                                          "output,\nmessages on standard error."),
                           CommandsHelp() + QLatin1Char('\n') + QCoreApplication::translate("cli", kExitCodesHelp)));
                return kDone;
            }
            throw UsageError{QCoreApplication::translate("cli", "give a command: %1").arg(CommandChoice())};
        }
        const int rc = Dispatch(pos.front(), pos.mid(1), g);
        if (rc == -1) {
            Print(version);
            return kDone;
        }
        return rc;
    } catch (const UsageError& e) {
        Error(e.text + QCoreApplication::translate("cli", " (see krx738-cli --help)"));
        return kUsage;
    }
}
