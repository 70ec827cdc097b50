// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/nameplate_options.h"

#include <QCoreApplication>
#include <cmath>

namespace krx::cli {

namespace {

double ParseNumber(const QCommandLineParser& p, const QString& option, double low, double high)
{
    bool ok = false;
    const double v = p.value(option).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < low || v > high)
        throw UsageError{QCoreApplication::translate("cli", "--%1: '%2' is not a number from %3 to %4")
                             .arg(option, p.value(option)).arg(low).arg(high)};
    return v;
}

}  // namespace

void AddNameplateOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("kind"), QCoreApplication::translate("cli", "The asset: %1 (machine when not given).").arg(KindNameChoices()),
                 QStringLiteral("KIND")});
    p.addOption({QStringLiteral("rated-voltage"), QCoreApplication::translate("cli", "The asset's rated voltage, line to line."),
                 QStringLiteral("VOLTS")});
    p.addOption({QStringLiteral("winding"),
                 QCoreApplication::translate("cli", "form (form-wound after about 1970: 100 MΩ, 5 MΩ when rated below 1 kV), random "
                                "(random-wound, or a dc armature, which IEEE 43-2013 puts in the 5 MΩ row) or older "
                                "(before about 1970, field windings, not known: kV + 1 MΩ)."),
                 QStringLiteral("form|random|older")});
    p.addOption({QStringLiteral("class"), QCoreApplication::translate("cli", "The thermal class, A, B, F or H."), QStringLiteral("A|B|F|H")});
    p.addOption({QStringLiteral("winding-temp"),
                 QCoreApplication::translate("cli", "The winding temperature in °C to correct from (default: the air temperature at "
                                "the meter)."),
                 QStringLiteral("T")});
}

std::optional<Nameplate> ParseNameplate(const QCommandLineParser& p)
{
    const QString kind = QStringLiteral("kind"), rated = QStringLiteral("rated-voltage"),
                  winding = QStringLiteral("winding"), cls = QStringLiteral("class");
    if (!p.isSet(kind) && !p.isSet(rated) && !p.isSet(winding) && !p.isSet(cls))
        return std::nullopt;
    Nameplate plate;
    if (p.isSet(kind) && !ParseKind(p.value(kind), plate.kind))
        throw UsageError{QCoreApplication::translate("cli", "--kind: '%1' is not allowed; choose %2").arg(p.value(kind), KindNameChoices())};
    if (p.isSet(rated))
        plate.ratedVolts = ParseNumber(p, rated, 1, 1e6);
    WindingType w{};
    if (p.isSet(winding) && !ParseWinding(p.value(winding), w))
        throw UsageError{QCoreApplication::translate("cli", "--winding: '%1' is not allowed; choose form, random or older")
                             .arg(p.value(winding))};
    if (p.isSet(winding))
        plate.winding = w;
    InsulationClass c{};
    if (p.isSet(cls) && !ParseClass(p.value(cls), c))
        throw UsageError{QCoreApplication::translate("cli", "--class: '%1' is not allowed; choose A, B, F or H").arg(p.value(cls))};
    if (p.isSet(cls))
        plate.cls = c;
    return plate;
}

std::optional<double> ParseWindingTemperature(const QCommandLineParser& p)
{
    const QString option = QStringLiteral("winding-temp");
    return p.isSet(option) ? std::optional<double>(ParseNumber(p, option, -50, 250)) : std::nullopt;
}

}  // namespace krx::cli
