// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_db.h"

#include "history/method_test_record.h"
#include "history/step_test_record.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>

namespace krx::history {

namespace {

// The columns of a test, in the order of the SELECTs below.
const QString kTestColumns = QStringLiteral(
    "id, asset_id, kind, time_ms, utc_offset_s, volts, duration_s, temperature_c, humidity_pct, r15_ohm, r30_ohm, "
    "r60_ohm, r600_ohm, dar, pi, r60_40c_ohm, r600_40c_ohm, correction_temp_c, dar_verdict, pi_verdict, "
    "verdict_source, comment, operator, meter_serial, meter_software, bd_volts, bd_before_mohm, bd_after_mohm, "
    "bd_off_mohm, bd_cycle_s, bd_timer_off_s, record_key, reading_ohm, reading_timer_s, reading_method, "
    "bd_before_ohm, bd_after_ohm, bd_off_ohm, simulated, insulation_class, plate_kind, plate_rated_v, plate_winding, "
    "plate_class, ramp_s, dar_times, ir_verdict, temperature_source, dew_point_c, steps, ir_source, pi_source, "
    "dar_source, bd_timer_s, method, measurement, item_kind, limit_set, limit_row, limit_lower_ohm, limit_upper_ohm, "
    "electrode_d1_mm, electrode_d2_mm, "
    "electrode_gap_mm, thickness_mm, given_factor, resistivity, resistivity_factor, resistivity_unit, "
    "resistivity_formula, resistivity_bound, method_path, result_ohm, result_voltage_v, result_range, "
    "classification, classification_source, limit_verdict, limit_outcome, limit_source, qualification, "
    "qualification_flag, conditioning_h");
const QString kAssetColumns =
    QStringLiteral("id, name, location, kind, insulation_class, plate_kind, rated_voltage_v, winding_type");

template <typename T>
QVariant Opt(const std::optional<T>& v)
{
    return v ? QVariant::fromValue(*v) : QVariant(QMetaType::fromType<T>());
}

// An empty text is stored as such, not as NULL.
QVariant Text(const QString& s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QString Placeholders(qsizetype n)
{
    QStringList marks;
    for (qsizetype i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

std::optional<double> Double(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// An ESD or material test's columns, in the order of kTestColumns; none when the method is NULL.
template <typename Next>
std::optional<MethodResult> MethodFromRow(Next& next)
{
    const QVariant methodName = next();
    MethodResult r;
    const std::optional<Method> method = MethodFromName(methodName.toString());
    r.request.method = method.value_or(Method::Insulation);
    r.request.measurement = MeasurementFromName(next().toString()).value_or(DefaultMeasurement(r.request.method));
    r.request.itemKind = next().toString();
    r.request.limitSet = next().toString();
    r.verdict.row = next().toString();
    r.verdict.lowerOhm = Double(next());
    r.verdict.upperOhm = Double(next());
    Geometry& g = r.request.geometry;
    for (std::optional<double>* f : {&g.d1Mm, &g.d2Mm, &g.gapMm, &g.thicknessMm, &g.factor})
        *f = Double(next());
    const std::optional<double> rho = Double(next());
    const std::optional<double> factor = Double(next());
    Resistivity res;
    res.unit = next().toString();
    res.formula = next().toString();
    const QString bound = next().toString();
    if (rho && factor) {
        res.value = *rho;
        res.factor = *factor;
        res.volume = res.unit != QStringLiteral("Ω");
        res.atLeast = bound == QLatin1String("at_least");
        res.atMost = bound == QLatin1String("at_most");
        r.resistivity = res;
    }
    r.path = PathFromJson(next().toString());
    const std::optional<double> resultOhm = Double(next());
    const QVariant resultVolts = next();
    const QVariant resultRange = next();
    // The reading that stands is the path's last; without it the run ended before it was due.
    r.complete = !resultRange.isNull() && !r.path.empty();
    if (r.complete) {
        r.result = r.path.back();
        r.result->value.ohm = resultOhm;
        r.result->volts = resultVolts.toInt();
    }
    r.classification = next().toString();
    r.classificationSource = next().toString();
    r.verdict.text = next().toString();
    r.verdict.outcome = OutcomeFromStoredName(next().toString());
    r.verdict.source = next().toString();
    r.request.qualification = next().toInt() != 0;
    r.qualificationFlag = next().toString();
    r.request.conditioningHours = Double(next());
    if (!method || methodName.isNull())
        return std::nullopt;
    if (r.request.method == Method::Material && !r.path.empty()) {
        r.request.materialVolts = r.path.front().volts;
        r.request.materialSeconds = r.path.front().atSeconds;
    }
    return r;
}

TestRecord TestFromRow(const QSqlQuery& q)
{
    TestRecord t;
    int i = 0;
    auto next = [&] { return q.value(i++); };
    t.id = next().toLongLong();
    t.assetId = next().toString();
    t.kind = KindFromName(next().toString()).value_or(TestKind::FreeRunning);
    const QVariant ms = next();
    const int offset = next().toInt();
    if (!ms.isNull())
        t.time = QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::OffsetFromUTC, offset);
    const QVariant volts = next();
    if (!volts.isNull())
        t.volts = volts.toInt();
    for (std::optional<double>* f : {&t.durationSeconds, &t.temperature, &t.humidity, &t.r15, &t.r30, &t.r60,
                                     &t.r600, &t.dar, &t.pi, &t.r60At40, &t.r600At40, &t.correctionTemperature})
        *f = Double(next());
    for (QString* s : {&t.darVerdict, &t.piVerdict, &t.verdictSource, &t.comment, &t.operatorName, &t.meterSerial,
                       &t.meterSoftware})
        *s = next().toString();
    const QVariant bdVolts = next();
    BreakDownFigures b;
    b.volts = bdVolts.toInt();
    const double wholeMOhm[] = {next().toDouble() * 1e6, next().toDouble() * 1e6, next().toDouble() * 1e6};
    b.cycleTimeSeconds = next().toInt();
    b.timerOffSeconds = next().toInt();
    t.recordKey = next().toString().toLatin1();
    const QVariant readingOhm = next();
    const int readingTimer = next().toInt();
    const QString readingMethod = next().toString();
    if (!readingOhm.isNull())
        t.memoryReading = MemoryReading{readingOhm.toDouble(), readingTimer, readingMethod};
    const QVariant ohm[] = {next(), next(), next()};
    // Filed before ohm were kept: the whole MOhm are all there is.
    b.wholeMOhmOnly = ohm[0].isNull();
    b.resistanceBeforeOhm = b.wholeMOhmOnly ? wholeMOhm[0] : ohm[0].toDouble();
    b.resistanceAfterOhm = b.wholeMOhmOnly ? wholeMOhm[1] : ohm[1].toDouble();
    b.resistanceOffOhm = b.wholeMOhmOnly ? wholeMOhm[2] : ohm[2].toDouble();
    if (!bdVolts.isNull())
        t.breakDown = b;
    t.simulated = next().toInt() != 0;
    t.insulationClass = next().toString();
    Asset plate;  // the test's nameplate, read as an asset's
    plate.plateKind = next().toString();
    plate.ratedVolts = Double(next());
    plate.windingType = next().toString();
    plate.insulationClass = next().toString();
    t.nameplate = NameplateOf(plate);
    t.rampSeconds = Double(next());
    DarTimes times;
    if (ParseDarTimes(next().toString(), times))
        t.darTimes = times;
    t.irVerdict = next().toString();
    t.temperatureSource = next().toString();
    t.dewPoint = Double(next());
    t.steps = StepsFromText(next().toString());
    // NULL in tests filed before each verdict kept its own source.
    t.sourcesApart = !q.value(i).isNull();
    for (QString* s : {&t.irSource, &t.piSource, &t.darSource})
        *s = next().toString();
    const int breakDownTimer = next().toInt();
    if (t.breakDown)
        t.breakDown->breakDownTimerSeconds = breakDownTimer;
    t.method = MethodFromRow(next);
    return t;
}

constexpr int kMethodColumns = 29;  // method … conditioning_h

// An ESD or material test's columns, in the order of kTestColumns; NULL for every other test.
void AddMethodValues(QVariantList& values, const std::optional<MethodResult>& m)
{
    const QVariant text(QMetaType::fromType<QString>()), number(QMetaType::fromType<double>());
    if (!m) {
        for (int i = 0; i < kMethodColumns; ++i)
            values << text;
        return;
    }
    const MethodRequest& q = m->request;
    const Geometry& g = q.geometry;
    const std::optional<Resistivity>& rho = m->resistivity;
    const std::optional<PathStep>& result = m->result;
    values << QString::fromLatin1(InfoOf(q.method).name) << MeasurementName(q.measurement) << Text(q.itemKind)
           << Text(q.limitSet) << Text(m->verdict.row) << Opt(m->verdict.lowerOhm) << Opt(m->verdict.upperOhm)
           << Opt(g.d1Mm) << Opt(g.d2Mm) << Opt(g.gapMm)
           << Opt(g.thicknessMm) << Opt(g.factor) << (rho ? QVariant(rho->value) : number)
           << (rho ? QVariant(rho->factor) : number) << (rho ? Text(rho->unit) : text) << (rho ? Text(rho->formula) : text)
           << (!rho ? text
               : rho->atLeast ? QVariant(QStringLiteral("at_least"))
               : rho->atMost  ? QVariant(QStringLiteral("at_most"))
                              : QVariant(QStringLiteral("")))
           << PathJson(m->path) << (result ? Opt(result->value.ohm) : number)
           << (result ? QVariant(result->volts) : QVariant(QMetaType::fromType<int>()))
           << (result ? QVariant(QString::fromLatin1(RangeName(result->value.range))) : text)
           << Text(m->classification) << Text(m->classificationSource) << Text(m->verdict.text)
           << StoredOutcomeName(m->verdict.outcome) << Text(m->verdict.source) << (q.qualification ? 1 : 0)
           << Text(m->qualificationFlag) << Opt(q.conditioningHours);
}

Asset AssetFromRow(const QSqlQuery& q)
{
    return Asset{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                 q.value(4).toString(), q.value(5).toString(), Double(q.value(6)), q.value(7).toString()};
}

}  // namespace

bool Db::SaveAsset(const Asset& a)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("INSERT INTO assets (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                             "ON CONFLICT (id) DO UPDATE SET name = excluded.name, location = excluded.location, "
                             "kind = excluded.kind, insulation_class = excluded.insulation_class, "
                             "plate_kind = excluded.plate_kind, rated_voltage_v = excluded.rated_voltage_v, "
                             "winding_type = excluded.winding_type").arg(kAssetColumns)))
        return Fail(q.lastError());
    for (const QString& v : {a.id, a.name, a.location, a.kind, a.insulationClass, a.plateKind})
        q.addBindValue(Text(v));
    q.addBindValue(Opt(a.ratedVolts));
    q.addBindValue(Text(a.windingType));
    return q.exec() || Fail(q.lastError());
}

std::optional<Asset> Db::FindAsset(const QString& id)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM assets WHERE id = ?").arg(kAssetColumns)))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(id);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    if (!q.next())
        return std::nullopt;
    return AssetFromRow(q);
}

std::optional<std::vector<AssetSummary>> Db::Assets()
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT a.id, a.name, a.location, a.kind, a.insulation_class, a.plate_kind, "
                               "a.rated_voltage_v, a.winding_type, COUNT(t.id), MAX(t.time_ms) FROM assets a "
                               "LEFT JOIN tests t ON t.asset_id = a.id GROUP BY a.id, a.name, a.location, a.kind, "
                               "a.insulation_class, a.plate_kind, a.rated_voltage_v, a.winding_type")))
        return Fail(q.lastError()), std::nullopt;
    std::vector<AssetSummary> out;
    while (q.next()) {
        AssetSummary s;
        s.asset = AssetFromRow(q);
        s.testCount = q.value(8).toInt();
        if (!q.value(9).isNull())
            s.lastTest = QDateTime::fromMSecsSinceEpoch(q.value(9).toLongLong());
        out.push_back(std::move(s));
    }
    // The same order on either server, whatever its collation.
    std::sort(out.begin(), out.end(), [](const AssetSummary& a, const AssetSummary& b) { return a.asset.id < b.asset.id; });
    return out;
}

std::optional<std::vector<TestRecord>> Db::TestsOf(const QString& assetId)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM tests WHERE asset_id = ? "
                             "ORDER BY CASE WHEN time_ms IS NULL THEN 0 ELSE 1 END, time_ms, id").arg(kTestColumns)))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(assetId);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    std::vector<TestRecord> out;
    while (q.next())
        out.push_back(TestFromRow(q));
    return out;
}

std::optional<std::optional<TestRecord>> Db::Test(qint64 id)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("SELECT %1, series FROM tests WHERE id = ?").arg(kTestColumns)))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(id);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    if (!q.next())
        return std::optional<TestRecord>();
    TestRecord t = TestFromRow(q);
    t.readings = ParseSeries(q.value(q.record().count() - 1).toString().toUtf8());
    return std::optional<TestRecord>(std::move(t));
}

std::optional<qint64> Db::Insert(const TestRecord& t, const QString& uid)
{
    const bool sqlite = conn_.backend == Connection::Sqlite;
    // IMMEDIATE: a lock held by another program is waited for here, before anything is written.
    QSqlQuery begin(db_);
    if (!(sqlite ? begin.exec(QStringLiteral("BEGIN IMMEDIATE")) : db_.transaction()))
        return Fail(sqlite ? begin.lastError() : db_.lastError()), std::nullopt;
    const auto id = InsertInTransaction(t, uid);
    QSqlQuery end(db_);
    if (!id || !end.exec(QStringLiteral("COMMIT"))) {
        if (id)
            Fail(end.lastError());
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return std::nullopt;
    }
    return id;
}

std::optional<qint64> Db::InsertInTransaction(const TestRecord& t, const QString& uid)
{
    QSqlQuery q(db_);
    // A new asset of an ESD or material test is of the tested item's kind.
    if (!q.prepare(QStringLiteral("INSERT INTO assets (id, kind) VALUES (?, ?) ON CONFLICT DO NOTHING")))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(t.assetId);
    q.addBindValue(Text(t.method ? t.method->request.itemKind : QString()));
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    if (!q.prepare(QStringLiteral("INSERT INTO tests (%1, series, uid) VALUES (%2) ON CONFLICT DO NOTHING RETURNING id")
                  .arg(kTestColumns.mid(4), Placeholders(kTestColumns.count(QLatin1Char(',')) + 2))))
        return Fail(q.lastError()), std::nullopt;
    const auto& b = t.breakDown;
    auto bd = [&](auto member) { return b ? QVariant::fromValue(static_cast<qint64>((*b).*member)) : QVariant(QMetaType::fromType<qint64>()); };
    // The whole MOhm as well, for anything that still reads those columns.
    auto whole = [&](double BreakDownFigures::*member) {
        return b ? QVariant::fromValue(static_cast<qint64>(std::floor((*b).*member / 1e6))) : QVariant(QMetaType::fromType<qint64>());
    };
    auto ohm = [&](double BreakDownFigures::*member) {
        return b && !b->wholeMOhmOnly ? QVariant((*b).*member) : QVariant(QMetaType::fromType<double>());
    };
    const auto& m = t.memoryReading;
    QVariantList values{
        t.assetId, QString::fromLatin1(KindName(t.kind)),
        t.time.isValid() ? QVariant(t.time.toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>()),
        t.time.isValid() ? t.time.offsetFromUtc() : 0, Opt(t.volts), Opt(t.durationSeconds), Opt(t.temperature),
        Opt(t.humidity), Opt(t.r15), Opt(t.r30), Opt(t.r60), Opt(t.r600), Opt(t.dar), Opt(t.pi), Opt(t.r60At40),
        Opt(t.r600At40), Opt(t.correctionTemperature), Text(t.darVerdict), Text(t.piVerdict),
        Text(t.verdictSource), Text(t.comment), Text(t.operatorName), Text(t.meterSerial), Text(t.meterSoftware), bd(&BreakDownFigures::volts),
        whole(&BreakDownFigures::resistanceBeforeOhm), whole(&BreakDownFigures::resistanceAfterOhm),
        whole(&BreakDownFigures::resistanceOffOhm), bd(&BreakDownFigures::cycleTimeSeconds),
        bd(&BreakDownFigures::timerOffSeconds),
        t.recordKey.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(QString::fromLatin1(t.recordKey)),
        m ? QVariant(m->ohm) : QVariant(QMetaType::fromType<double>()),
        m ? QVariant(m->timerSeconds) : QVariant(QMetaType::fromType<int>()), m ? Text(m->method) : QVariant(QMetaType::fromType<QString>()),
        ohm(&BreakDownFigures::resistanceBeforeOhm), ohm(&BreakDownFigures::resistanceAfterOhm),
        ohm(&BreakDownFigures::resistanceOffOhm), t.simulated ? 1 : 0, Text(t.insulationClass)};
    // The nameplate's columns stay NULL without one: an old test reads back as "no nameplate".
    Asset plate;
    SetNameplate(plate, t.nameplate);
    const QVariant none(QMetaType::fromType<QString>());
    values << (t.nameplate ? QVariant(plate.plateKind) : none) << Opt(plate.ratedVolts)
           << (t.nameplate ? QVariant(plate.windingType) : none) << (t.nameplate ? QVariant(plate.insulationClass) : none)
           << Opt(t.rampSeconds) << (t.darTimes ? QVariant(DarTimesName(*t.darTimes)) : none) << Text(t.irVerdict)
           << Text(t.temperatureSource) << Opt(t.dewPoint) << (t.steps ? QVariant(StepsText(*t.steps)) : none)
           << (t.sourcesApart ? Text(t.irSource) : none) << (t.sourcesApart ? Text(t.piSource) : none)
           << (t.sourcesApart ? Text(t.darSource) : none) << bd(&BreakDownFigures::breakDownTimerSeconds);
    AddMethodValues(values, t.method);
    values << QString::fromUtf8(SeriesText(t.readings)) << Text(uid);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    return q.next() ? q.value(0).toLongLong() : 0;
}

std::optional<std::vector<std::pair<qint64, QString>>> Db::PendingUids()
{
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT id, uid FROM tests ORDER BY id")))
        return Fail(q.lastError()), std::nullopt;
    std::vector<std::pair<qint64, QString>> out;
    while (q.next())
        out.emplace_back(q.value(0).toLongLong(), q.value(1).toString());
    return out;
}

bool Db::Remove(qint64 id)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("DELETE FROM tests WHERE id = ?")))
        return Fail(q.lastError());
    q.addBindValue(id);
    return q.exec() || Fail(q.lastError());
}

std::optional<int> Db::Count()
{
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM tests")) || !q.next())
        return Fail(q.lastError()), std::nullopt;
    return q.value(0).toInt();
}

}  // namespace krx::history
