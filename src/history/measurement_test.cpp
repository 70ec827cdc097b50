// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/measurement_test.h"

#include "device/backend.h"

#include <QStringList>

#include <cmath>

namespace krx::history {

TestRecord TestFromMeasurement(const QString& assetId, const std::vector<DataRecord>& readings, bool timerMode,
                               std::optional<InsulationClass> cls, DarTimes darTimes)
{
    TestRecord t;
    t.assetId = assetId;
    t.kind = timerMode ? TestKind::Timer : TestKind::FreeRunning;
    t.readings = readings;
    t.simulated = TheUsbBackend().Simulated();
    if (readings.empty())
        return t;
    t.time = readings.front().time.addMSecs(-std::llround(readings.front().elapsedSeconds * 1000.0));
    t.durationSeconds = readings.back().elapsedSeconds;
    // The voltage and climate the test ran at: the last reading's, as the figures end there.
    t.volts = readings.back().volts;
    t.temperature = readings.back().temperature;
    t.humidity = readings.back().humidity;
    const InsulationFigures f = ComputeFigures(readings, darTimes);
    t.r15 = f.r15, t.r30 = f.r30, t.r60 = f.r60, t.r600 = f.r600;
    t.dar = f.dar, t.pi = f.pi;
    if (f.meanTemperature) {
        t.correctionTemperature = f.meanTemperature;
        if (f.r60)
            t.r60At40 = CorrectedResistance(*f.r60, *f.meanTemperature, kBase40C);
        if (f.r600)
            t.r600At40 = CorrectedResistance(*f.r600, *f.meanTemperature, kBase40C);
    }
    const FigureVerdict dar = DarVerdict(f.dar);
    t.darVerdict = dar.text;
    QStringList sources;
    if (!dar.source.isEmpty())
        sources << dar.source;
    if (cls) {
        t.insulationClass = ClassName(*cls);
        const FigureVerdict pi = PiVerdict(f.pi, *cls);
        t.piVerdict = pi.text;
        if (!pi.source.isEmpty())
            sources << pi.source;
    }
    t.verdictSource = sources.join(QStringLiteral("; "));
    return t;
}

}  // namespace krx::history
