// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// measure --asset: the finished measurement filed as a test under an asset in the test history.

#include "cli/exit_codes.h"
#include "core/judging/ieee43.h"
#include "core/judging/step_figures.h"
#include "history/history_store.h"

#include <QString>

#include <optional>
#include <vector>

namespace krx::cli {

// The measurement to file: asset, its words and the options the figures are taken with.
struct FilingArgs {
    QString database;
    QString asset;
    QString comment;
    QString operatorName;
    std::optional<Nameplate> plate;  // else the asset's, else none (no IR and PI verdicts)
    std::optional<double> winding;
    DarTimes darTimes = DarTimes::From30To60;
};

// Opened before the meter is touched, so that a setting that names no database is a usage error
// and a database that cannot be used is said at once, while the measurement still goes ahead.
class MeasurementFiler {
public:
    // False with the message said when the setting is not a connection at all.
    bool Open(const FilingArgs& args);
    // The finished measurement as a test, with the core's figures. The exit status: kDone when
    // filed, kHistoryError when kept in the outbox or lost (the message says which).
    int File(const std::vector<DataRecord>& readings, bool timerMode, const QString& meterSerial,
             const QString& meterSoftware);
    // A step-voltage test with its steps, change and verdict; the exit status as File's.
    int FileSteps(const std::vector<DataRecord>& readings, const StepPlan& plan, const StepResult& result,
                  const QString& meterSerial, const QString& meterSoftware);

    // An ESD or material test with its path, result and verdict; the exit status as File's.
    int FileMethod(const std::vector<DataRecord>& readings, const MethodResult& result, const QString& meterSerial,
                   const QString& meterSoftware);

private:
    int Store(history::TestRecord test, const QString& meterSerial, const QString& meterSoftware);
    int KeepNameplate();

    FilingArgs args_;
    history::HistoryStore store_;
};

}  // namespace krx::cli
