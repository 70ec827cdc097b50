// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/meter_init.h"

#include "device/protocol.h"

namespace krx {

QString NoAccessText()
{
    return QStringLiteral(
        "The KRX 738 is connected, but this user has no permission to open it.\n"
        "\n"
        "The udev rule 60-krx738.rules gives the user logged in at this computer access to the meter. "
        "The program's package installs it; after a build from source, copy it from data/udev to "
        "/etc/udev/rules.d. Then run\n"
        "\n"
        "    sudo udevadm control --reload\n"
        "    sudo udevadm trigger\n"
        "\n"
        "and press Init again.\n"
        "\n"
        "For remote or headless use, without a local login, install the example rule\n"
        "    60-krx738-plugdev.rules\n"
        "instead and add the user to the group plugdev.");
}

bool ConnectIdle(MeterCommands& meter)
{
    const bool connected = meter.Connect().ok();
    if (connected)
        meter.SetRemoteMode(protocol::kModeMain);
    return connected;
}

InitReport InitDevice(MeterCommands& meter, ProcedureHost& host, const Identity& known)
{
    InitReport report;
    report.identity = known;
    const Status open = meter.Connect();
    if (open)
        meter.SetRemoteMode(protocol::kModeMain);
    // Taken at once: a meter that is there but may not be opened needs a udev rule, not a switch.
    const bool accessDenied = !open && open.error().error == DeviceError::NoAccess;
    // A reply of no bytes passes and leaves the identity as it was; only a failed transfer fails.
    const Result<Identity> identity = open ? meter.ReadIdentity() : Result<Identity>(open.error());
    if (!open || (!identity && identity.error().code < 0)) {
        if (accessDenied) {
            host.Person().Message(NoAccessText(), QStringLiteral("!! No access to the device !!"), Buttons::Ok,
                                  Icon::Warning);
            report.outcome = InitReport::Outcome::NoAccess;
        } else {
            host.Person().Message(QStringLiteral("Please check if the device is switched on!"),
                                  QStringLiteral("!! No device found !!"), Buttons::Ok, Icon::None);
            report.outcome = InitReport::Outcome::NoMeter;
        }
        return report;
    }
    if (identity)
        report.identity = *identity;
    report.at = QDateTime::currentDateTime();

    // A transfer that failed reads as a zero status byte; a meter that cannot be opened again has
    // gone since its identity came, and its setup cannot be copied: Init is not done.
    const Result<StatusByte> status = meter.ReadStatus();
    if (!status && !status.error().Sent()) {
        host.Person().ShowError(QStringLiteral("The KRX 738 did not answer the status request."));
        report.outcome = InitReport::Outcome::MeterGone;
        return report;
    }
    report.batteryEmpty = status && status->BatteryEmpty();
    if (const Result<MeasuringSetup> setup = meter.ReadMeasuringSetup())
        report.setup = *setup;
    report.outcome = InitReport::Outcome::Ready;
    return report;
}

InitReport InitFromButton(MeterCommands& meter, ProcedureHost& host, const Identity& known)
{
    const InitReport report = InitDevice(meter, host, known);
    if (report.outcome != InitReport::Outcome::MeterGone && ConnectIdle(meter))
        meter.SetRemoteMode(protocol::kModeMain);
    return report;
}

}  // namespace krx
