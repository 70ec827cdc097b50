// SPDX-License-Identifier: GPL-3.0-or-later
// The plan's items and their verifications in the history database.
#include "history/history_db.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlQuery>

namespace krx::history {

namespace {

QVariant Number(const std::optional<double>& v)
{
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> NumberOf(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

RangeState RangeOf(const QString& name)
{
    for (RangeState r : {RangeState::InRange, RangeState::Over, RangeState::Under})
        if (name == QLatin1String(RangeName(r)))
            return r;
    return RangeState::InRange;
}

}  // namespace

bool Db::InTransaction(const std::function<bool()>& work)
{
    const bool sqlite = conn_.backend == Connection::Sqlite;
    QSqlQuery begin(db_);
    if (!(sqlite ? begin.exec(QStringLiteral("BEGIN IMMEDIATE")) : db_.transaction()))
        return Fail(sqlite ? begin.lastError() : db_.lastError());
    QSqlQuery end(db_);
    if (!work() || !end.exec(QStringLiteral("COMMIT"))) {
        if (end.lastError().isValid())
            Fail(end.lastError());
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool Db::ImportPlan(const std::vector<PlanItem>& items, PlanImportCount& count)
{
    count = {};
    return InTransaction([&] {
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("SELECT id, retired FROM plan_items")))
            return Fail(q.lastError());
        QSet<QString> known, active;
        while (q.next()) {
            known.insert(q.value(0).toString());
            if (q.value(1).toInt() == 0)
                active.insert(q.value(0).toString());
        }
        if (!q.exec(QStringLiteral("UPDATE plan_items SET retired = 1")))
            return Fail(q.lastError());
        if (!q.prepare(QStringLiteral(
                "INSERT INTO plan_items (id, area, kind, location, interval_days, points, position, retired) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, 0) ON CONFLICT (id) DO UPDATE SET area = excluded.area, "
                "kind = excluded.kind, location = excluded.location, interval_days = excluded.interval_days, "
                "points = excluded.points, position = excluded.position, retired = 0")))
            return Fail(q.lastError());
        int position = 0;
        for (const PlanItem& item : items) {
            for (const QVariant& v : {QVariant(item.id), QVariant(item.area), QVariant(item.kind),
                                      QVariant(item.location.isNull() ? QStringLiteral("") : item.location),
                                      QVariant(item.intervalDays), QVariant(item.points), QVariant(position++)})
                q.addBindValue(v);
            if (!q.exec())
                return Fail(q.lastError());
            ++(known.contains(item.id) ? count.kept : count.added);
            active.remove(item.id);
        }
        count.retired = static_cast<int>(active.size());
        return true;
    });
}

std::optional<std::vector<PlanEntry>> Db::PlanEntries(bool withRetired)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, area, kind, location, interval_days, points, retired FROM plan_items%1 "
                               "ORDER BY retired, position")
                    .arg(withRetired ? QString() : QStringLiteral(" WHERE retired = 0"))))
        return Fail(q.lastError()), std::nullopt;
    std::vector<PlanEntry> out;
    while (q.next()) {
        PlanEntry e;
        e.item = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                  q.value(3).toString(), q.value(4).toInt(), q.value(5).toInt()};
        e.retired = q.value(6).toInt() != 0;
        out.push_back(std::move(e));
    }
    return out;
}

std::optional<qint64> Db::InsertVerification(const Verification& v)
{
    std::optional<qint64> id;
    const VerificationSummary s = Summarise(v);
    const bool done = InTransaction([&] {
        QSqlQuery q(db_);
        if (!q.prepare(QStringLiteral("SELECT retired FROM plan_items WHERE id = ?")))
            return Fail(q.lastError());
        q.addBindValue(v.itemId);
        if (!q.exec())
            return Fail(q.lastError());
        if (!q.next())
            return Fail({}, QCoreApplication::translate("krx::history::Plan", "there is no item \"%1\" in its plan").arg(v.itemId));
        if (q.value(0).toInt() != 0)
            return Fail({}, QCoreApplication::translate("krx::history::Plan", "the item \"%1\" was retired from its plan").arg(v.itemId));
        if (!q.prepare(QStringLiteral(
                "INSERT INTO verifications (item_id, time_ms, utc_offset_s, method, measurement, limit_set, "
                "limit_source, points_planned, complete, min_ohm, max_ohm, worst_ohm, worst_point, verdict, operator, "
                "meter_serial, simulated) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id")))
            return Fail(q.lastError());
        const QVariantList values{v.itemId, v.time.toMSecsSinceEpoch(), v.time.offsetFromUtc(),
                                  QString::fromLatin1(InfoOf(v.method).name), MeasurementName(v.measurement),
                                  v.limitSet.isNull() ? QStringLiteral("") : v.limitSet,
                                  v.limitSource.isNull() ? QStringLiteral("") : v.limitSource, v.pointsPlanned,
                                  s.complete ? 1 : 0, Number(s.minOhm), Number(s.maxOhm), Number(s.worstOhm),
                                  s.worstPoint ? QVariant(*s.worstPoint) : QVariant(QMetaType::fromType<int>()),
                                  QString::fromLatin1(OutcomeName(s.outcome)),
                                  v.operatorName.isNull() ? QStringLiteral("") : v.operatorName,
                                  v.meterSerial.isNull() ? QStringLiteral("") : v.meterSerial, v.simulated ? 1 : 0};
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (!q.exec() || !q.next())
            return Fail(q.lastError());
        id = q.value(0).toLongLong();
        if (!q.prepare(QStringLiteral(
                "INSERT INTO verification_points (verification_id, point, reading_ohm, reading_range, volts, path, "
                "outcome, verdict, temperature_c, humidity_pct) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
            return Fail(q.lastError());
        for (const PointResult& p : v.points) {
            for (const QVariant& value :
                 {QVariant(*id), QVariant(p.point), Number(p.value.ohm), QVariant(QString::fromLatin1(RangeName(p.value.range))),
                  QVariant(p.volts), QVariant(p.path.isNull() ? QStringLiteral("") : p.path),
                  QVariant(QString::fromLatin1(OutcomeName(p.outcome))),
                  QVariant(p.verdict.isNull() ? QStringLiteral("") : p.verdict), Number(p.temperature), Number(p.humidity)})
                q.addBindValue(value);
            if (!q.exec())
                return Fail(q.lastError());
        }
        return true;
    });
    return done ? id : std::nullopt;
}

std::optional<std::vector<Verification>> Db::VerificationsOf(const QString& itemId)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT v.id, v.time_ms, v.utc_offset_s, v.method, v.measurement, v.limit_set, "
                                  "v.limit_source, v.points_planned, v.operator, v.meter_serial, v.simulated, p.point, "
                                  "p.reading_ohm, p.reading_range, p.volts, p.path, p.outcome, p.verdict, "
                                  "p.temperature_c, p.humidity_pct FROM verifications v LEFT JOIN verification_points p "
                                  "ON p.verification_id = v.id WHERE v.item_id = ? ORDER BY v.time_ms, v.id, p.point")))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(itemId);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    std::vector<Verification> out;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (out.empty() || out.back().id != id) {
            Verification v;
            v.id = id;
            v.itemId = itemId;
            v.time = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::OffsetFromUTC, q.value(2).toInt());
            v.method = MethodFromName(q.value(3).toString()).value_or(Method::Esd);
            v.measurement = MeasurementFromName(q.value(4).toString()).value_or(Measurement::Rtg);
            v.limitSet = q.value(5).toString();
            v.limitSource = q.value(6).toString();
            v.pointsPlanned = q.value(7).toInt();
            v.operatorName = q.value(8).toString();
            v.meterSerial = q.value(9).toString();
            v.simulated = q.value(10).toInt() != 0;
            out.push_back(std::move(v));
        }
        if (q.value(11).isNull())
            continue;
        PointResult p;
        p.point = q.value(11).toInt();
        p.value = {RangeOf(q.value(13).toString()), NumberOf(q.value(12))};
        p.volts = q.value(14).toInt();
        p.path = q.value(15).toString();
        p.outcome = OutcomeFromName(q.value(16).toString()).value_or(Outcome::NotJudged);
        p.verdict = q.value(17).toString();
        p.temperature = NumberOf(q.value(18));
        p.humidity = NumberOf(q.value(19));
        out.back().points.push_back(std::move(p));
    }
    return out;
}

std::optional<std::map<QString, LastVerification>> Db::LastVerifications()
{
    // A verification broken off verifies nothing, unless a point of it failed.
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT item_id, time_ms, utc_offset_s, worst_ohm, verdict FROM verifications "
                               "WHERE complete = 1 OR verdict = 'fails' ORDER BY time_ms, id")))
        return Fail(q.lastError()), std::nullopt;
    std::map<QString, LastVerification> out;
    while (q.next()) {
        LastVerification& last = out[q.value(0).toString()];
        last.date = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::OffsetFromUTC, q.value(2).toInt()).date();
        last.worstOhm = NumberOf(q.value(3));
        last.outcome = OutcomeFromName(q.value(4).toString()).value_or(Outcome::NotJudged);
    }
    return out;
}

}  // namespace krx::history
