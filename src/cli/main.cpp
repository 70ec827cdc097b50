// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli: the meter from the shell. Arguments are parsed and checked in full before anything
// is sent to the meter; then one command runs the core's procedures on this thread. This file only
// picks the command; each command lives in its own file.
#include "cli/command.h"
#include "cli/interrupt.h"

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
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString CommandsHelp()
{
    QString text = QStringLiteral("Commands:\n");
    for (const Command* c : kCommandTable)
        text += QString::fromLatin1(c->summary);
    return text + QStringLiteral("\nkrx738-cli COMMAND --help shows the options of a command.\n");
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
        throw UsageError{QStringLiteral("'%1' is not a command; choose %2").arg(name, CommandChoice())};
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
                Print(Help(top, QStringLiteral("krx738-cli [global options] COMMAND [options]"),
                           QStringLiteral("The KRX 738 insulation-resistance meter from the shell: data on standard "
                                          "output,\nmessages on standard error."),
                           CommandsHelp() + QLatin1Char('\n') + QString::fromLatin1(kExitCodesHelp)));
                return kDone;
            }
            throw UsageError{QStringLiteral("give a command: %1").arg(CommandChoice())};
        }
        const int rc = Dispatch(pos.front(), pos.mid(1), g);
        if (rc == -1) {
            Print(version);
            return kDone;
        }
        return rc;
    } catch (const UsageError& e) {
        Error(e.text + QStringLiteral(" (see krx738-cli --help)"));
        return kUsage;
    }
}
