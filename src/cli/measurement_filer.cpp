// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/measurement_filer.h"

#include "cli/output.h"
#include "core/settings.h"
#include "history/measurement_test.h"
#include "history/method_test_record.h"
#include "history/step_test_record.h"

#include <QCoreApplication>

namespace krx::cli {

using namespace krx::history;

bool MeasurementFiler::Open(const FilingArgs& args)
{
    args_ = args;
    const QString setting = args.database.isEmpty() ? ConnectionSetting() : args.database;
    Connection c;
    QString error;
    if (!ParseConnection(setting, DefaultDataFolder(), c, &error)) {
        Error(error);
        return false;
    }
    if (!store_.Open(setting)) {
        Error(MessageStyle(store_.Error()) + QCoreApplication::translate("cli", "; the measurement goes ahead, its test will be kept in the "
                                                            "outbox"));
        return true;
    }
    // Filing is what makes a history; a new one is said, so that a mistyped path shows at once.
    if (store_.Created())
        Info(QCoreApplication::translate("cli", "a new test history was made: %1").arg(store_.Description()));
    if (!store_.OutboxNote().isEmpty())
        Info(MessageStyle(store_.OutboxNote()));
    return true;
}

int MeasurementFiler::File(const std::vector<DataRecord>& readings, bool timerMode, const QString& meterSerial,
                           const QString& meterSoftware)
{
    std::optional<Nameplate> plate = args_.plate;
    if (!plate && store_.IsOpen())
        if (const auto a = store_.FindAsset(args_.asset)) {
            plate = NameplateOf(*a);
            // An asset known by its class alone is judged by that class.
            InsulationClass known{};
            if (!plate && ParseClass(a->insulationClass, known))
                plate = Nameplate{AssetKind::Machine, std::nullopt, std::nullopt, known};
        }
    // Else the nameplate the window's figures use, so that a test holds the same fields from both.
    if (!plate) {
        const FigureChoices window = ReadFigureChoices();
        plate = Nameplate{window.kind, window.ratedVolts,
                          window.kind == AssetKind::Machine ? window.winding : std::nullopt, window.cls};
    }
    return Store(TestFromMeasurement(args_.asset, readings, timerMode, {args_.darTimes, plate, args_.winding}),
                 meterSerial, meterSoftware);
}

int MeasurementFiler::FileSteps(const std::vector<DataRecord>& readings, const StepPlan& plan,
                                const StepResult& result, const QString& meterSerial, const QString& meterSoftware)
{
    return Store(TestFromSteps(args_.asset, readings, plan, result), meterSerial, meterSoftware);
}

int MeasurementFiler::FileMethod(const std::vector<DataRecord>& readings, const MethodResult& result,
                                 const QString& meterSerial, const QString& meterSoftware)
{
    return Store(TestFromMethod(args_.asset, readings, result), meterSerial, meterSoftware);
}

int MeasurementFiler::Store(TestRecord t, const QString& meterSerial, const QString& meterSoftware)
{
    t.comment = args_.comment;
    t.operatorName = args_.operatorName;
    t.meterSerial = meterSerial;
    t.meterSoftware = meterSoftware;
    const FileResult r = store_.FileTest(t);
    switch (r.status) {
    case FileResult::Filed:
        Info(QCoreApplication::translate("cli", "test %1 filed under %2 in %3").arg(r.id).arg(args_.asset, store_.Description()));
        return KeepNameplate();
    case FileResult::Duplicate:
        Info(MessageStyle(r.message));
        return kDone;
    case FileResult::KeptInOutbox:
    case FileResult::Failed:
        break;
    }
    Error(MessageStyle(r.message));
    return kHistoryError;
}

int MeasurementFiler::KeepNameplate()
{
    if (!args_.plate)
        return kDone;
    // The nameplate given is the asset's from now on, as the filing dialog keeps it.
    Asset a = store_.FindAsset(args_.asset).value_or(Asset{});
    a.id = args_.asset;
    SetNameplate(a, args_.plate);
    if (store_.SaveAsset(a))
        return kDone;
    Error(QCoreApplication::translate("cli", "the test was filed, but the nameplate could not be kept with %1: %2")
              .arg(args_.asset, MessageStyle(store_.Error())));
    return kHistoryError;
}

}  // namespace krx::cli
