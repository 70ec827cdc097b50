// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/test_values.h"

#include "core/judging/ieee43.h"
#include "core/judging/conditions.h"
#include "history/method_test_record.h"
#include "history/step_test_record.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace krx::history {

namespace {

QString KindLabel(TestKind kind)
{
    switch (kind) {
    case TestKind::FreeRunning: return QStringLiteral("Free-running");
    case TestKind::Timer: return QStringLiteral("Timer");
    case TestKind::BreakDown: return QStringLiteral("Break-down");
    case TestKind::MemoryOhm: return QStringLiteral("Memory, R");
    case TestKind::MemoryBreakDown: return QStringLiteral("Memory, BD");
    case TestKind::StepVoltage: return QStringLiteral("Step voltage");
    case TestKind::Method: return QCoreApplication::translate("TestValues", "ESD / material");
    }
    return {};
}

// How a value goes to files: the meter's own values and counts keep every digit; a computed one is
// given to a precision that means something.
using DataForm = QString (*)(double);
QString Data(double v)
{
    return QString::fromLatin1(DataNumber(v));
}
template <int places>
QString Decimals(double v)
{
    return QString::fromLatin1(DataDecimals(v, places));
}
// Taken between readings of three digits: a fourth is all an interpolation can tell.
QString FigureOhm(double v)
{
    return QString::fromLatin1(DataDigits(v, 4));
}

QString Fixed(double v, int decimals, const char* unit = "")
{
    return QString::number(v, 'f', decimals) + QString::fromUtf8(unit);
}

bool IsMeasurement(const TestRecord& t)
{
    return t.kind == TestKind::FreeRunning || t.kind == TestKind::Timer;
}

QString MethodNote(const MemoryReading& m)
{
    if (m.method == QLatin1String("average"))
        return QStringLiteral("the meter averaged over its %1 s timer").arg(m.timerSeconds);
    if (m.method.isEmpty() && m.timerSeconds > 0)
        return QStringLiteral("filed before the meter's method was kept; the reading at %1 s may be an average")
            .arg(m.timerSeconds);
    if (m.timerSeconds <= 0)
        return QStringLiteral("the meter ran without timer");
    return QStringLiteral("the meter's timer was %1 s").arg(m.timerSeconds);
}

// Why a resistance at a point of the test is not there: it ended sooner, or the memory record's
// reading is not a reading at that point.
QString PointNote(const TestRecord& t, double seconds, const char* name)
{
    if (IsMeasurement(t) && t.durationSeconds && *t.durationSeconds < seconds)
        return QStringLiteral("the test ended before %1").arg(QLatin1String(name));
    if (t.kind == TestKind::MemoryOhm)
        return t.memoryReading ? MethodNote(*t.memoryReading) : QStringLiteral("no reading was filed");
    return {};
}

QString ReadingText(const MemoryReading& m)
{
    const QString ohm = BenchOhm(m.ohm);
    if (m.timerSeconds <= 0)
        return QStringLiteral("R %1 (no timer)").arg(ohm);
    if (m.method == QLatin1String("average"))
        return QStringLiteral("R averaged over %1 s %2").arg(m.timerSeconds).arg(ohm);
    return QStringLiteral("R at %1 s %2%3")
        .arg(m.timerSeconds)
        .arg(ohm, m.method.isEmpty() ? QStringLiteral(" (method not filed)") : QString());
}

struct Builder {
    std::vector<TestValue> values;

    void Text(const char* key, const char* label, const QString& s, const QString& note = {})
    {
        values.push_back({key, QCoreApplication::translate("TestValues", label), s, s, true, s.isEmpty() ? note : QString()});
    }
    void Number(const char* key, const char* label, const std::optional<double>& v, const QString& text,
                const QString& note = {}, DataForm form = Data)
    {
        const bool there = v && std::isfinite(*v);
        values.push_back({key, QCoreApplication::translate("TestValues", label), there ? text : QString(), there ? form(*v) : QString(), false,
                          there ? QString() : note});
    }
    // A value judged against a limit: its file form keeps at least the digits its text needs to
    // stay on its side of the limit.
    void Judged(const char* key, const char* label, const std::optional<double>& v, const QString& text,
                const QString& data, const QString& note)
    {
        const bool there = v && std::isfinite(*v);
        values.push_back({key, QCoreApplication::translate("TestValues", label), there ? text : QString(), there ? data : QString(), false,
                          there ? QString() : note});
    }
    // A resistance taken from the readings (interpolated, corrected).
    void Ohm(const char* key, const char* label, const std::optional<double>& v, const QString& note = {})
    {
        Number(key, label, v, v ? BenchOhm(*v) : QString(), note, FigureOhm);
    }
};

// A step-voltage test: R at each step's end, the change from the lowest to the highest step, its verdict.
void AddSteps(Builder& b, const TestRecord& t)
{
    const StepSummary* s = t.steps ? &*t.steps : nullptr;
    QStringList text, data;
    for (const StepFigure& f : s ? s->steps : std::vector<StepFigure>{}) {
        const QString bound = f.atLeast ? QStringLiteral("≥ ") : QString();
        text << QStringLiteral("%1 V %2").arg(f.volts).arg(f.ohm ? bound + BenchOhm(*f.ohm) : QStringLiteral("–"));
        data << QStringLiteral("%1:%2%3").arg(f.volts).arg(f.atLeast ? QStringLiteral(">=") : QString(),
                                                           f.ohm ? FigureOhm(*f.ohm) : QString());
    }
    b.values.push_back({"steps", QStringLiteral("Steps"), text.join(QStringLiteral("; ")), data.join(QLatin1Char(';')),
                        true, {}});
    b.Number("step_change_pct", "Step change", s ? s->changePercent : std::nullopt, s ? s->changeText : QString(), {},
             Decimals<1>);
    b.Text("step_change_bound", "Step change bound", s ? s->changeBound : QString());
    b.Text("step_verdict", "Step verdict", s ? s->verdict : QString());
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("TestValues", text);
}

// A reading of the path for a file: "10:2350000@5", a bound marked ">=" or "<=".
QString PathStepData(const PathStep& s)
{
    const QString bound = s.value.range == RangeState::Over    ? QStringLiteral(">=")
                          : s.value.range == RangeState::Under ? QStringLiteral("<=")
                                                               : QString();
    return QStringLiteral("%1:%2%3@%4")
        .arg(s.volts)
        .arg(bound, s.value.ohm ? Data(*s.value.ohm) : QString())
        .arg(s.atSeconds);
}

// An ESD or material test: what was asked, the path, the reading that stands and how it was judged.
// Every key is there for every test, empty for any other kind, so that an export's columns stay.
void AddMethod(Builder& b, const TestRecord& t)
{
    const MethodResult* m = t.method ? &*t.method : nullptr;
    const MethodRequest q = m ? m->request : MethodRequest{};
    b.Text("method", "Method", m ? QString::fromLatin1(InfoOf(q.method).name) : QString());
    if (m)
        b.values.back().text = QString::fromUtf8(InfoOf(q.method).title);
    b.Text("measurement", "Measurement", m ? MeasurementName(q.measurement) : QString());
    b.Text("item_kind", "Item", m ? q.itemKind : QString());
    if (m)
        b.values.back().text = krx::KindText(q.itemKind);
    b.Text("limit_set", "Limit set", m ? q.limitSet : QString());
    b.Text("limit_row", "Limit", m ? m->verdict.row : QString());
    b.Number("limit_lower_ohm", "Lower limit", m ? m->verdict.lowerOhm : std::nullopt,
             m && m->verdict.lowerOhm ? SciOhm(*m->verdict.lowerOhm) : QString());
    b.Number("limit_upper_ohm", "Upper limit", m ? m->verdict.upperOhm : std::nullopt,
             m && m->verdict.upperOhm ? SciOhm(*m->verdict.upperOhm) : QString());
    const Geometry g = q.geometry;
    const auto mm = [](const std::optional<double>& v) { return v ? Fixed(*v, 2, " mm") : QString(); };
    b.Number("electrode_d1_mm", "D1", g.d1Mm, mm(g.d1Mm));
    b.Number("electrode_d2_mm", "D2", g.d2Mm, mm(g.d2Mm));
    b.Number("electrode_gap_mm", "Gap", g.gapMm, mm(g.gapMm));
    b.Number("thickness_mm", "Thickness", g.thicknessMm, mm(g.thicknessMm));
    b.Number("given_factor", "Factor given", g.factor, g.factor ? QString::number(*g.factor, 'g', 6) : QString());
    QStringList data;
    for (const PathStep& s : m ? m->path : std::vector<PathStep>{})
        data << PathStepData(s);
    b.values.push_back({"path", Tr("Path"), m ? PathText(*m) : QString(), data.join(QLatin1Char(';')), true,
                        m && m->path.empty() ? Tr("ended before the first reading was due") : QString()});
    const std::optional<PathStep> r = m ? m->result : std::nullopt;
    const std::optional<double> resultOhm = r ? r->value.ohm : std::nullopt;
    b.Number("result_ohm", "Result", resultOhm, r ? ReadingText(r->value) : QString(),
             m && !r ? Tr("no reading stands: the test ended before it was due") : QString());
    const std::optional<double> resultVolts = r ? std::optional<double>(r->volts) : std::nullopt;
    b.Number("result_voltage_v", "Result voltage", resultVolts, r ? Fixed(r->volts, 0, " V") : QString());
    b.Text("result_range", "Result range", r ? QString::fromLatin1(RangeName(r->value.range)) : QString());
    const auto& rho = m ? m->resistivity : std::nullopt;
    b.Number("resistivity", "Resistivity", rho ? std::optional<double>(rho->value) : std::nullopt,
             rho ? ResistivityText(*rho) : QString(), {}, FigureOhm);
    b.Text("resistivity_unit", "Resistivity unit", rho ? rho->unit : QString());
    b.Text("resistivity_bound", "Resistivity bound",
           !rho ? QString() : rho->atLeast ? QStringLiteral("at_least") : rho->atMost ? QStringLiteral("at_most") : QString());
    b.Number("resistivity_factor", "Resistivity factor", rho ? std::optional<double>(rho->factor) : std::nullopt,
             rho ? QString::number(rho->factor, 'f', 2) : QString(), {}, FigureOhm);
    b.Text("resistivity_formula", "Resistivity formula", rho ? rho->formula : QString());
    b.Text("classification", "Class", m ? m->classification : QString());
    b.Text("classification_source", "Class source", m ? m->classificationSource : QString());
    b.Text("limit_verdict", "Verdict", m ? m->verdict.text : QString());
    b.Text("limit_outcome", "Outcome", m ? StoredOutcomeName(m->verdict.outcome) : QString());
    b.Text("limit_source", "Limit source", m ? m->verdict.source : QString());
    b.values.push_back({"qualification", Tr("Qualification"), m && q.qualification ? Tr("product qualification") : QString(),
                        m ? (q.qualification ? QStringLiteral("true") : QStringLiteral("false")) : QString(), false, {}});
    b.Text("qualification_flag", "Qualification note", m ? m->qualificationFlag : QString());
    b.Number("conditioning_h", "Conditioning", q.conditioningHours, m ? ConditioningText(q.conditioningHours) : QString());
    b.Text("conditions", "Conditions",
           r ? ConditionsText(r->temperature, r->humidity) : QString());
}

void AddBreakDown(Builder& b, const TestRecord& t)
{
    const auto& f = t.breakDown;
    auto get = [&](auto member) { return f ? std::optional<double>((*f).*member) : std::nullopt; };
    const bool whole = f && f->wholeMOhmOnly;
    const QString wholeNote = QStringLiteral("all three in whole MΩ, remainder dropped: filed before ohm were kept");
    b.Number("bd_voltage_v", "BD voltage", get(&BreakDownFigures::volts), f ? Fixed(f->volts, 0, " V") : QString());
    struct Resistance {
        const char* ohmKey;
        const char* mohmKey;
        const char* label;
        double BreakDownFigures::*member;
    };
    static const Resistance resistances[] = {
        {"bd_before_ohm", "bd_before_mohm", "BD R before", &BreakDownFigures::resistanceBeforeOhm},
        {"bd_after_ohm", "bd_after_mohm", "BD R after", &BreakDownFigures::resistanceAfterOhm},
        {"bd_off_ohm", "bd_off_mohm", "BD R off", &BreakDownFigures::resistanceOffOhm}};
    for (const Resistance& r : resistances) {
        const auto v = get(r.member);
        TestValue ohm{r.ohmKey, QString::fromUtf8(r.label), v ? BenchOhm(*v) : QString(),
                      v && !whole ? Data(*v) : QString(), false,
                      whole && &r == &resistances[0] ? wholeNote : QString()};
        if (whole)
            ohm.text += QStringLiteral(" (whole MΩ)");
        b.values.push_back(ohm);
    }
    // Whole MOhm filed before are shown as what they are above, and go to files in their own fields.
    for (const Resistance& r : resistances) {
        const auto v = get(r.member);
        b.values.push_back({r.mohmKey, QString::fromUtf8(r.label), {}, whole ? Data(*v / 1e6) : QString(), false, {}});
    }
    // The meter's cycle time of a memory record and the timer set for a live test are not the same
    // thing: each has its own field, empty in the other kind of test.
    const bool live = t.kind == TestKind::BreakDown;
    const auto onlyIf = [&](bool wanted, auto member) { return wanted ? get(member) : std::nullopt; };
    b.Number("bd_cycle_s", "BD cycle time", onlyIf(!live, &BreakDownFigures::cycleTimeSeconds),
             f ? Fixed(f->cycleTimeSeconds, 0, " s") : QString());
    b.Number("bd_timer_s", "BD timer", onlyIf(live, &BreakDownFigures::breakDownTimerSeconds),
             f ? Fixed(f->breakDownTimerSeconds, 0, " s") : QString());
    b.Number("bd_timer_off_s", "BD timer off", get(&BreakDownFigures::timerOffSeconds),
             f ? Fixed(f->timerOffSeconds, 0, " s") : QString());
}

}  // namespace

QString BenchOhm(double ohm, int digits)
{
    if (!std::isfinite(ohm))
        return {};
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    int p = 0;
    double x = ohm;
    // Rounded to three digits first, so that 999.6 kΩ reads 1 MΩ rather than 1e+03 kΩ.
    auto rounded = [digits](double v) { return v == 0 ? 0 : QString::number(v, 'g', digits).toDouble(); };
    while (std::fabs(rounded(x)) >= 1000.0 && p < 5)
        x /= 1000.0, ++p;
    return QString::number(rounded(x), 'g', digits + 1) + QLatin1Char(' ') + QString::fromLatin1(prefixes[p]) + QStringLiteral("Ω");
}

std::vector<TestValue> ValuesOf(const Asset& a, const TestRecord& t)
{
    Builder b;
    b.Text("asset_id", "Asset", a.id);
    b.Text("asset_name", "Name", a.name);
    b.Number("test_id", "Test", static_cast<double>(t.id), QString::number(t.id));
    b.Text("kind", "Kind", QString::fromLatin1(KindName(t.kind)));
    b.values.back().text = t.method ? QString::fromUtf8(InfoOf(t.method->request.method).title) : KindLabel(t.kind);
    b.Text("time", "Date", t.time.isValid() ? QString::fromLatin1(DataTime(t.time)) : QString());
    b.values.back().text = t.time.isValid() ? t.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
    b.values.push_back({"simulated", QStringLiteral("Meter"), t.simulated ? QStringLiteral("simulated") : QString(),
                        t.simulated ? QStringLiteral("true") : QStringLiteral("false"), false,
                        t.simulated ? QStringLiteral("taken from the simulated meter, not a real one") : QString()});
    const std::optional<double> volts = t.volts ? std::optional<double>(*t.volts) : std::nullopt;
    b.Number("voltage_v", "Voltage", volts, volts ? Fixed(*volts, 0, " V") : QString());
    const auto d = t.durationSeconds;
    const qint64 s = d && *d >= 0 ? std::llround(*d) : 0;
    b.Number("duration_s", "Duration", d, QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0')),
             {}, Decimals<3>);  // to the millisecond, as a recording's elapsed_s
    // The meter's four characters hold at most two decimals; a float gone through double adds none.
    b.Number("temperature_c", "Temp.", t.temperature, t.temperature ? Fixed(*t.temperature, 1, " °C") : QString(), {},
             Decimals<2>);
    b.Number("humidity_pct", "Humidity", t.humidity, t.humidity ? Fixed(*t.humidity, 0, " %") : QString());
    b.Ohm("r15_ohm", "R 15 s", t.r15, PointNote(t, 15, "15 s"));
    b.Ohm("r30_ohm", "R 30 s", t.r30, PointNote(t, 30, "30 s"));
    b.Ohm("r60_ohm", "R 1 min", t.r60, PointNote(t, 60, "1 min"));
    b.Ohm("r600_ohm", "R 10 min", t.r600, PointNote(t, 600, "10 min"));
    const auto& m = t.memoryReading;
    b.Number("reading_ohm", "Memory reading", m ? std::optional<double>(m->ohm) : std::nullopt,
             m ? ReadingText(*m) : QString(),
             t.kind == TestKind::MemoryOhm ? QStringLiteral("no reading was filed") : QString());
    b.Number("reading_timer_s", "Memory timer", m ? std::optional<double>(m->timerSeconds) : std::nullopt,
             m ? Fixed(m->timerSeconds, 0, " s") : QString());
    b.Text("reading_method", "Memory method", m ? m->method : QString());
    // Beside its limit a value keeps the digits that tell it from the limit, as the window prints it.
    const int darPlaces = t.dar ? DarDecimals(*t.dar, t.darTimes.value_or(DarTimes::From30To60)) : 0;
    b.Judged("dar", "DAR", t.dar, t.dar ? Fixed(*t.dar, darPlaces) : QString(),
             t.dar ? QString::fromLatin1(DataDecimals(*t.dar, std::max(3, darPlaces))) : QString(),
             t.kind == TestKind::MemoryOhm ? QStringLiteral("a memory record holds one reading") : PointNote(t, 60, "1 min"));
    const int piPlaces = t.pi ? PiDecimals(*t.pi, t.nameplate) : 0;
    b.Judged("pi", "PI", t.pi, t.pi ? Fixed(*t.pi, piPlaces) : QString(),
             t.pi ? QString::fromLatin1(DataDecimals(*t.pi, std::max(3, piPlaces))) : QString(),
             t.kind == TestKind::MemoryOhm ? QString() : PointNote(t, 600, "10 min"));
    const QString noTemperature = QStringLiteral("no temperature was filed");
    const int r60Digits = t.r60At40 ? R60At40Digits(*t.r60At40, t.nameplate) : 0;
    b.Judged("r60_40c_ohm", "R 1 min @ 40 °C", t.r60At40, t.r60At40 ? BenchOhm(*t.r60At40, r60Digits) : QString(),
             t.r60At40 ? QString::fromLatin1(DataDigits(*t.r60At40, std::max(4, r60Digits))) : QString(),
             t.r60 ? noTemperature : QString());
    b.Ohm("r600_40c_ohm", "R 10 min @ 40 °C", t.r600At40, t.r600 ? noTemperature : QString());
    b.Number("correction_temperature_c", "Corrected from", t.correctionTemperature,
             t.correctionTemperature ? Fixed(*t.correctionTemperature, 1, " °C") : QString(), {}, Decimals<2>);
    b.Text("insulation_class", "Class", t.insulationClass);
    // The nameplate the test was judged by, and the conditions its figures were judged in.
    const auto& plate = t.nameplate;
    b.Text("plate_kind", "Nameplate kind", plate ? KindName(plate->kind) : QString());
    const auto rated = plate ? plate->ratedVolts : std::nullopt;
    b.Number("plate_rated_v", "Rated voltage", rated, rated ? Fixed(*rated, 0, " V") : QString());
    b.Text("plate_winding", "Winding type", plate && plate->winding ? WindingName(*plate->winding) : QString());
    b.Number("ramp_s", "Ramp", t.rampSeconds, t.rampSeconds ? Fixed(*t.rampSeconds, 1, " s") : QString(), {},
             Decimals<2>);
    b.Text("dar_times", "DAR times", t.darTimes ? DarTimesName(*t.darTimes) : QString());
    b.Text("temperature_source", "Temperature used", t.temperatureSource);
    b.Number("dew_point_c", "Dew point", t.dewPoint, t.dewPoint ? Fixed(*t.dewPoint, 1, " °C") : QString(), {},
             Decimals<1>);
    b.Text("ir_verdict", "IR verdict", t.irVerdict);
    b.Text("dar_verdict", "DAR verdict", t.darVerdict);
    b.Text("pi_verdict", "PI verdict", t.piVerdict,
           t.pi ? QStringLiteral("no insulation class was known") : QString());
    AddSteps(b, t);
    AddMethod(b, t);
    b.Text("verdict_source", "Source", t.verdictSource);
    b.Text("ir_source", "IR verdict source", t.irSource);
    b.Text("pi_source", "PI verdict source", t.piSource);
    b.Text("dar_source", "DAR verdict source", t.darSource);
    AddBreakDown(b, t);
    b.Text("operator", "Operator", t.operatorName);
    b.Text("meter_serial", "Meter serial", t.meterSerial);
    b.Text("meter_software", "Meter software", t.meterSoftware);
    b.Text("comment", "Comment", t.comment);
    const QString notes = Notes(b.values);
    b.Text("notes", "Notes", notes);
    return b.values;
}

const TestValue& ValueOf(const std::vector<TestValue>& values, std::string_view key)
{
    static const TestValue none{"", {}, {}, {}, false, {}};
    for (const TestValue& v : values)
        if (key == v.key)
            return v;
    return none;
}

QString ReadingSummary(const std::vector<TestValue>& values)
{
    // An ESD or material test: its path, which ends in the reading that stands.
    if (const QString path = ValueOf(values, "path").text; !path.isEmpty()) {
        QStringList parts{path};
        for (const char* key : {"resistivity", "conditioning_h"})
            if (const QString v = ValueOf(values, key).text; !v.isEmpty())
                parts << v;
        return parts.join(QStringLiteral("; "));
    }
    if (const QString r = ValueOf(values, "reading_ohm").text; !r.isEmpty())
        return r;
    QStringList parts;
    for (const char* key : {"bd_voltage_v", "bd_before_ohm", "bd_after_ohm", "bd_off_ohm", "bd_cycle_s", "bd_timer_s"}) {
        const TestValue& v = ValueOf(values, key);
        // Zero is what the meter keeps when there was no break-off or no cycle: nothing to say.
        if (v.text.isEmpty() || v.data == QLatin1String("0") || v.text.startsWith(QLatin1String("0 ")))
            continue;
        parts << (v.label.startsWith(QLatin1String("BD ")) && key != std::string_view("bd_voltage_v")
                      ? v.label.mid(v.label.startsWith(QLatin1String("BD R ")) ? 5 : 3) + QLatin1Char(' ')
                      : QString()) +
                     v.text;
    }
    return parts.isEmpty() ? QString() : QStringLiteral("BD ") + parts.join(QStringLiteral(", "));
}

std::vector<FiledVerdict> VerdictsOf(const TestRecord& t)
{
    // Filed before each verdict kept its own source: the sources filed together, for each.
    const auto source = [&](const QString& own) { return t.sourcesApart ? own : t.verdictSource; };
    std::vector<FiledVerdict> out;
    if (!t.irVerdict.isEmpty())
        out.push_back({QStringLiteral("Minimum IR"), t.irVerdict, source(t.irSource)});
    if (!t.piVerdict.isEmpty())
        out.push_back({QStringLiteral("PI"), t.piVerdict, source(t.piSource)});
    if (!t.darVerdict.isEmpty())
        out.push_back({QStringLiteral("DAR"), t.darVerdict, source(t.darSource)});
    if (t.steps)
        out.push_back({QStringLiteral("Step voltage"), StepChangeLine(*t.steps), t.verdictSource});
    if (t.method) {
        const MethodResult& m = *t.method;
        if (!m.classification.isEmpty())
            out.push_back({QCoreApplication::translate("TestValues", "Class"), m.classification, m.classificationSource});
        if (!m.verdict.text.isEmpty())
            out.push_back({MeasurementName(m.request.measurement), m.verdict.text, m.verdict.source});
        if (!m.qualificationFlag.isEmpty())
            out.push_back({QCoreApplication::translate("TestValues", "Qualification"), m.qualificationFlag, {}});
    }
    return out;
}

QString VerdictCell(const TestRecord& t, QStringList* sources)
{
    QStringList parts;
    for (const FiledVerdict& v : VerdictsOf(t)) {
        QString part = v.name + QStringLiteral(": ") + v.text;
        if (sources && !v.source.isEmpty()) {
            if (!sources->contains(v.source))
                sources->append(v.source);
            part += QStringLiteral(" [%1]").arg(sources->indexOf(v.source) + 1);
        }
        parts << part;
    }
    return parts.join(QStringLiteral("; "));
}

QString SourceList(const QStringList& sources)
{
    QStringList lines;
    for (qsizetype i = 0; i < sources.size(); ++i)
        lines << QStringLiteral("[%1] %2").arg(i + 1).arg(sources[i]);
    return lines.join(QLatin1Char('\n'));
}

QString Notes(const std::vector<TestValue>& values)
{
    QStringList notes;
    for (const TestValue& v : values)
        if (!v.note.isEmpty() && std::string_view(v.key) != "notes")
            notes << v.label + QStringLiteral(": ") + v.note;
    return notes.join(QStringLiteral("; "));
}

}  // namespace krx::history
