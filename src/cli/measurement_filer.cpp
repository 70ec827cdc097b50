// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/measurement_filer.h"

#include "cli/output.h"
#include "core/settings.h"
#include "history/measurement_test.h"

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
    if (!store_.Open(setting))
        Error(store_.Error() + QStringLiteral(" The measurement goes ahead; its test will be kept in the outbox."));
    else if (!store_.OutboxNote().isEmpty())
        Info(store_.OutboxNote());
    return true;
}

int MeasurementFiler::File(const std::vector<DataRecord>& readings, bool timerMode, const QString& meterSerial,
                           const QString& meterSoftware)
{
    std::optional<Nameplate> plate = args_.plate;
    if (!plate && store_.IsOpen())
        if (const auto a = store_.FindAsset(args_.asset))
            plate = NameplateOf(*a);
    // Else the class the window's figures use, so that a test holds the same fields from both.
    if (!plate)
        plate = Nameplate{AssetKind::Machine, std::nullopt, std::nullopt, ReadFigureChoices().cls};
    TestRecord t = TestFromMeasurement(args_.asset, readings, timerMode, {args_.darTimes, plate, args_.winding});
    t.comment = args_.comment;
    t.operatorName = args_.operatorName;
    t.meterSerial = meterSerial;
    t.meterSoftware = meterSoftware;
    const FileResult r = store_.FileTest(t);
    switch (r.status) {
    case FileResult::Filed:
        Info(QStringLiteral("test %1 filed under %2 in %3").arg(r.id).arg(args_.asset, store_.Description()));
        return kDone;
    case FileResult::Duplicate:
        Info(r.message);
        return kDone;
    case FileResult::KeptInOutbox:
    case FileResult::Failed:
        break;
    }
    Error(r.message);
    return kHistoryError;
}

}  // namespace krx::cli
