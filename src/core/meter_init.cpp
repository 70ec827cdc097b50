// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/meter_init.h"

#include "core/profile_file.h"
#include "core/settings.h"
#include "device/backend.h"
#include "device/meter_choice.h"
#include "device/protocol.h"
#include "device/transfer_log.h"

#include <QCoreApplication>
#include <algorithm>

namespace krx {

QString NoAccessText()
{
    return QCoreApplication::translate("MeterInit", "The KRX 738 is connected, but this user has no permission to open it.\n"
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
            host.Person().Message(NoAccessText(), QCoreApplication::translate("MeterInit", "!! No access to the device !!"), Buttons::Ok,
                                  Icon::Warning);
            report.outcome = InitReport::Outcome::NoAccess;
        } else {
            host.Person().Message(QCoreApplication::translate("MeterInit", "Please check if the device is switched on!"),
                                  QCoreApplication::translate("MeterInit", "!! No device found !!"), Buttons::Ok, Icon::None);
            report.outcome = InitReport::Outcome::NoMeter;
        }
        return report;
    }
    if (identity)
        report.identity = *identity;
    TheTransferLog().NameMeter(report.identity.serialNo.trimmed());
    report.at = QDateTime::currentDateTime();

    // A transfer that failed reads as a zero status byte; a meter that cannot be opened again has
    // gone since its identity came, and its setup cannot be copied: Init is not done.
    const Result<StatusByte> status = meter.ReadStatus();
    if (!status && !status.error().Sent()) {
        host.Person().ShowError(QCoreApplication::translate("MeterInit", "The KRX 738 did not answer the status request."));
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

MeterPick PickMeter(Dialogs& person, const QString& wanted, const QString& remembered)
{
    using Outcome = MeterPick::Outcome;
    if (const QString chosen = ChosenSerial(); !chosen.isEmpty())
        return {Outcome::Chosen, chosen};
    if (wanted.isEmpty() && TheUsbBackend().CountMeters() <= 1)
        return {};
    const std::vector<AttachedMeter> meters = SurveyMeters();
    std::vector<AttachedMeter> ready;
    QStringList others;
    for (const AttachedMeter& m : meters) {
        if (m.state == AttachedMeter::State::Ready)
            ready.push_back(m);
        else
            others << m.Label();
    }
    const auto find = [&](const QString& serial) {
        return std::find_if(ready.begin(), ready.end(), [&](const AttachedMeter& m) { return m.serial == serial; });
    };
    if (!wanted.isEmpty()) {
        const auto it = find(wanted);
        if (it == ready.end()) {
            person.Message(QCoreApplication::translate("MeterInit", "meter %1 is not attached (attached: %2)").arg(wanted, MeterLabels(meters)),
                           QCoreApplication::translate("MeterInit", "!! No device found !!"), Buttons::Ok, Icon::Warning);
            return {Outcome::NotAttached, wanted};
        }
        ChooseMeter(*it);
        return {Outcome::Chosen, wanted};
    }
    if (const auto it = find(remembered); !remembered.isEmpty() && it != ready.end()) {
        ChooseMeter(*it);
        return {Outcome::Chosen, remembered};
    }
    if (ready.empty())
        return {};  // Init says why none can be opened
    QStringList items;
    for (const AttachedMeter& m : ready)
        items << QCoreApplication::translate("MeterInit", "%1   software %2   %3").arg(m.serial, m.software, m.Place());
    QString prompt = QCoreApplication::translate("MeterInit", "Several KRX 738 are attached. Which one should this program work with?");
    if (!others.isEmpty())
        prompt += QCoreApplication::translate("MeterInit", "\nNot available: %1").arg(others.join(QStringLiteral(", ")));
    const int index = person.ChooseItem(QCoreApplication::translate("MeterInit", "Choose the meter"), prompt, items, 0);
    if (index < 0 || index >= static_cast<int>(ready.size()))
        return {Outcome::Cancelled, {}};
    const AttachedMeter& m = ready[static_cast<size_t>(index)];
    ChooseMeter(m);
    QString error;
    if (!ProfileFile(SettingsFilePath()).WriteString(SettingsSection(), QStringLiteral("MeterSerial"), m.serial, &error))
        person.Message(QCoreApplication::translate("MeterInit", "The choice of meter %1 could not be kept in %2 for the next start:\n%3")
                           .arg(m.serial, SettingsFilePath(), error),
                       QCoreApplication::translate("MeterInit", "Settings"), Buttons::Ok, Icon::Warning);
    return {Outcome::Chosen, m.serial};
}

}  // namespace krx
