// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli setup: writes the parts of the measuring setup and the timers that are given, then
// prints the setup as the meter reads it back.
#include "cli/command.h"
#include "cli/session.h"

#include <QCoreApplication>
#include <QTextStream>

#include <memory>

namespace krx::cli {

namespace {

struct SetupArgs {
    std::optional<VoltageChoice> voltage;
    std::optional<bool> automatic;
    std::optional<int> display;      // 0 technical, 1 exponent
    std::optional<int> calculation;  // 0 average, 1 lapse
    std::optional<int> timer;
    std::optional<int> breakDownTimer;
    std::optional<int> breakOffTimer;
};

// Writes what the arguments change; the first failure code, or 0.
int WriteSetup(Session& s, const SetupArgs& args, const SetupChoice& choice)
{
    int failed = 0;
    auto check = [&](const Status& st) {
        if (!st && !failed)
            failed = st.error().code ? st.error().code : -1;
    };
    if (args.voltage || args.automatic || args.display || args.calculation)
        check(s.Meter().WriteMeasuringSetup(choice));
    if (args.timer)
        check(s.Meter().WriteMeasuringTimer(*args.timer));
    if (args.breakDownTimer || args.breakOffTimer) {
        const Result<Timers> now = s.Meter().ReadTimers();
        if (!now)
            check(Status(now.error()));
        else
            check(s.Meter().WriteBreakTimers(args.breakDownTimer.value_or(now->breakDown),
                                             args.breakOffTimer.value_or(now->breakOff)));
    }
    return failed;
}

int SetupCommand(const SetupArgs& args)
{
    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    if (!s.Report().setup) {
        Error(QCoreApplication::translate("cli", "the KRX 738 did not send its setup; nothing was changed"));
        return kConnectionLost;
    }
    SetupChoice choice = ChoiceFrom(s.Report().setup);
    Apply(choice, args.voltage);
    if (args.automatic)
        choice.voltageFunction = *args.automatic ? 1 : 0;
    if (args.display)
        choice.displayMode = *args.display;
    if (args.calculation)
        choice.calculation = *args.calculation;

    int failed = 0;
    std::optional<MeasuringSetup> setup;
    std::optional<Timers> timers;
    s.Runner().Start([&] {
        failed = WriteSetup(s, args, choice);
        if (const Result<MeasuringSetup> read = s.Meter().ReadMeasuringSetup())
            setup = *read;
        if (const Result<Timers> read = s.Meter().ReadTimers())
            timers = *read;
    });
    if (failed) {
        Error(QCoreApplication::translate("cli", "the KRX 738 did not take the setup (%1)").arg(FailureText(failed)));
        return kConnectionLost;
    }
    if (!setup) {
        Error(QCoreApplication::translate("cli", "the setup was written, but the KRX 738 did not send it back"));
        return kConnectionLost;
    }
    QTextStream out(stdout);
    PrintSetup(out, *setup, timers);
    out.flush();
    s.Release();
    return kDone;
}

void AddSetupOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("voltage"), QCoreApplication::translate("cli", "Measuring voltage: 10, 100, 500, 1000 or auto."),
                 QStringLiteral("V")});
    p.addOption({QStringLiteral("auto"), QCoreApplication::translate("cli", "Automatic voltage on.")});
    p.addOption({QStringLiteral("manual"), QCoreApplication::translate("cli", "Automatic voltage off.")});
    p.addOption({QStringLiteral("display"), QCoreApplication::translate("cli", "technical or exponent."), QStringLiteral("MODE")});
    p.addOption({QStringLiteral("average"), QCoreApplication::translate("cli", "Timer measurements average.")});
    p.addOption({QStringLiteral("lapse"), QCoreApplication::translate("cli", "Timer measurements keep the lapse.")});
    p.addOption({QStringLiteral("timer"), QCoreApplication::translate("cli", "Measuring timer, 1 to 600 seconds."),
                 QStringLiteral("S")});
    p.addOption({QStringLiteral("breakdown-timer"), QCoreApplication::translate("cli", "Break-down timer, 1 to 9999 seconds."),
                 QStringLiteral("S")});
    p.addOption({QStringLiteral("breakoff-timer"), QCoreApplication::translate("cli", "Break-off timer, 1 to 9999 seconds."),
                 QStringLiteral("S")});
}

// The setup's parts as the arguments give them; the timers are taken by TakeTimers.
void TakeSetup(const QCommandLineParser& p, SetupArgs& args)
{
    if (p.isSet(QStringLiteral("voltage")))
        args.voltage = ParseVoltage(p.value(QStringLiteral("voltage")));
    if (p.isSet(QStringLiteral("auto")) && p.isSet(QStringLiteral("manual")))
        throw UsageError{QCoreApplication::translate("cli", "--auto and --manual: choose one")};
    if (p.isSet(QStringLiteral("auto")))
        args.automatic = true;
    if (p.isSet(QStringLiteral("manual")))
        args.automatic = false;
    if (args.voltage && args.voltage->automatic && args.automatic == false)
        throw UsageError{QCoreApplication::translate("cli", "--voltage auto and --manual: choose one")};
    if (p.isSet(QStringLiteral("display"))) {
        const QString d = p.value(QStringLiteral("display"));
        if (d != QLatin1String("technical") && d != QLatin1String("exponent"))
            throw UsageError{
                QCoreApplication::translate("cli", "--display: '%1' is not allowed; choose technical or exponent").arg(d)};
        args.display = d == QLatin1String("exponent") ? 1 : 0;
    }
    if (p.isSet(QStringLiteral("average")) && p.isSet(QStringLiteral("lapse")))
        throw UsageError{QCoreApplication::translate("cli", "--average and --lapse: choose one")};
    if (p.isSet(QStringLiteral("average")))
        args.calculation = 0;
    if (p.isSet(QStringLiteral("lapse")))
        args.calculation = 1;
}

void TakeTimers(const QCommandLineParser& p, SetupArgs& args)
{
    if (p.isSet(QStringLiteral("timer")))
        args.timer = ParseInt(QStringLiteral("timer"), p.value(QStringLiteral("timer")), 1, 600,
                               QCoreApplication::translate("cli", "whole seconds"));
    if (p.isSet(QStringLiteral("breakdown-timer")))
        args.breakDownTimer = ParseInt(QStringLiteral("breakdown-timer"),
                                        p.value(QStringLiteral("breakdown-timer")), 1, 9999,
                                        QCoreApplication::translate("cli", "whole seconds"));
    if (p.isSet(QStringLiteral("breakoff-timer")))
        args.breakOffTimer = ParseInt(QStringLiteral("breakoff-timer"), p.value(QStringLiteral("breakoff-timer")),
                                       1, 9999, QCoreApplication::translate("cli", "whole seconds"));
}

Run ParseSetup(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddSetupOptions(p);
    if (!ParseCommand(p, rest, g)) {
        Print(CommandHelp(p,
                   QCoreApplication::translate("cli", "krx738-cli [global options] setup [--voltage V] [--auto|--manual] "
                                  "[--display technical|exponent] [--average|--lapse] [--timer S] "
                                  "[--breakdown-timer S] [--breakoff-timer S]"),
                   QCoreApplication::translate("cli", "Writes the given parts of the measuring setup and the timers, then prints "
                                  "the setup as the meter reads it back (without options: only prints it).")));
        return {};
    }
    NoPositional(p, 0);
    auto args = std::make_shared<SetupArgs>();
    TakeSetup(p, *args);
    TakeTimers(p, *args);
    return [args] { return SetupCommand(*args); };
}

}  // namespace

const Command kSetupCommand{"setup",
                            QT_TRANSLATE_NOOP("cli", "  setup                   write the measuring setup and timers, print them read back\n"),
                            ParseSetup};

}  // namespace krx::cli
