// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli list and info: the meters found, and one meter's identity, setup and timers.
#include "cli/command.h"
#include "cli/session.h"
#include "device/backend.h"
#include "device/meter_choice.h"

#include <QCoreApplication>
#include <QTextStream>

namespace krx::cli {

namespace {

// Each meter asked for its identity only; one that another program holds is left alone.
int ListSeveral()
{
    Session::GuardPlaces();
    const std::vector<AttachedMeter> meters = SurveyMeters();
    QTextStream out(stdout);
    bool anyOpen = false;
    for (const AttachedMeter& m : meters) {
        out << m.Place();
        switch (m.state) {
        case AttachedMeter::State::Ready:
            anyOpen = true;
            out << "  serial " << m.serial << "  software " << m.software << "  access: yes\n";
            break;
        case AttachedMeter::State::NoAccess:
            out << "  access: no (the udev rule 60-krx738.rules is missing; see krx738-cli(1))\n";
            break;
        case AttachedMeter::State::InUse:
            anyOpen = true;
            out << "  in use by another program (identity not read)\n";
            break;
        case AttachedMeter::State::Silent:
            anyOpen = true;
            out << (m.error != 0 ? QStringLiteral("  access: cannot open (%1)\n").arg(FailureText(m.error))
                                 : QStringLiteral("  access: yes (identity not read)\n"));
            break;
        }
    }
    out.flush();
    if (!anyOpen) {
        Error(NoAccessText().section(QStringLiteral("\n\n"), 0, 1));
        return kNoAccess;
    }
    return kDone;
}

int ListCommand()
{
    const std::vector<MeterPlace> places = TheUsbBackend().ListMeters();
    if (places.empty()) {
        Error(QCoreApplication::translate("cli", "no KRX 738 found: check that it is connected by USB and switched on"));
        return kNoMeter;
    }
    if (places.size() > 1)
        return ListSeveral();
    QTextStream out(stdout);
    bool anyOpen = false;
    for (size_t i = 0; i < places.size(); ++i) {
        const MeterPlace& p = places[i];
        out << (p.bus == 0 && p.address == 0 ? QStringLiteral("simulated")
                                             : QStringLiteral("bus %1 address %2")
                                                   .arg(p.bus, 3, 10, QLatin1Char('0'))
                                                   .arg(p.address, 3, 10, QLatin1Char('0')));
        if (p.openError == kUsbErrorAccess) {
            out << "  access: no (the udev rule 60-krx738.rules is missing; see krx738-cli(1))\n";
            continue;
        }
        if (p.openError != 0) {
            out << "  access: cannot open (" << FailureText(p.openError) << ")\n";
            continue;
        }
        anyOpen = true;
        // The one meter: its identity is read here as Init reads it.
        out.flush();
        Session s;
        if (s.Open() == kDone) {
            out << "  serial " << s.Report().identity.serialNo.trimmed() << "  software "
                << s.Report().identity.swVersion.trimmed() << "  access: yes\n";
            s.Release();
            continue;
        }
        out << "  access: yes (identity not read)\n";
    }
    out.flush();
    if (!anyOpen) {
        Error(NoAccessText().section(QStringLiteral("\n\n"), 0, 1));
        return kNoAccess;
    }
    return kDone;
}

int InfoCommand()
{
    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    std::optional<Timers> timers;
    s.Runner().Device([&] {
        if (const Result<Timers> t = s.Meter().ReadTimers())
            timers = *t;
    });
    const InitReport& r = s.Report();
    QTextStream out(stdout);
    out << "device: " << r.identity.deviceName.trimmed() << '\n'
        << "serial: " << r.identity.serialNo.trimmed() << '\n'
        << "software: " << r.identity.swVersion.trimmed() << '\n'
        << "battery: " << (r.batteryEmpty ? "empty" : "ok") << '\n';
    if (r.setup)
        PrintSetup(out, *r.setup, timers);
    else
        out << "setup: not read\n";
    out.flush();
    s.Release();
    return kDone;
}

Run ParseListOrInfo(QCommandLineParser& p, const QStringList& rest, Globals& g, bool list)
{
    const QString command = list ? QStringLiteral("list") : QStringLiteral("info");
    if (!ParseCommand(p, rest, g)) {
        Print(CommandHelp(p, QCoreApplication::translate("cli", "krx738-cli [global options] %1").arg(command),
                   list ? QCoreApplication::translate("cli", "Lists the meters found: bus, address, serial number, software, and "
                                         "whether this user may open each. Of several meters only the "
                                         "identity is asked, and a meter another program holds is left alone.")
                        : QCoreApplication::translate("cli", "Prints the meter's identity, battery state, measuring setup and its "
                                         "three timers, one \"name: value\" per line.")));
        return {};
    }
    NoPositional(p, 0);
    return list ? Run(ListCommand) : Run(InfoCommand);
}

Run ParseList(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    return ParseListOrInfo(p, rest, g, true);
}

Run ParseInfo(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    return ParseListOrInfo(p, rest, g, false);
}

}  // namespace

const Command kListCommand{
    "list", QT_TRANSLATE_NOOP("cli", "  list                    meters found, and whether this user may open them\n"), ParseList};
const Command kInfoCommand{
    "info", QT_TRANSLATE_NOOP("cli", "  info                    identity, battery, setup and timers of the meter\n"), ParseInfo};

}  // namespace krx::cli
