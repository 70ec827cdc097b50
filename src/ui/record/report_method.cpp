// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/report_method.h"

#include "core/judging/conditions.h"
#include "ui/record/report_steps.h"

#include <QCoreApplication>
#include <QPainter>
#include <QStringList>

namespace krx {

namespace {

QString GeometryText(const Geometry& g)
{
    if (g.factor)
        return QCoreApplication::translate("Report", "factor %1 given").arg(*g.factor);
    QStringList parts;
    if (g.d1Mm)
        parts << QCoreApplication::translate("Report", "D1 %1 mm").arg(*g.d1Mm);
    if (g.d2Mm)
        parts << QCoreApplication::translate("Report", "D2 %1 mm").arg(*g.d2Mm);
    if (g.gapMm)
        parts << QCoreApplication::translate("Report", "gap %1 mm").arg(*g.gapMm);
    if (g.thicknessMm)
        parts << QCoreApplication::translate("Report", "thickness %1 mm").arg(*g.thicknessMm);
    return parts.isEmpty() ? QCoreApplication::translate("Report", "not given") : parts.join(QStringLiteral(", "));
}

}  // namespace

MethodSheet MakeMethodSheet(const MethodResult& r)
{
    const MethodRequest& q = r.request;
    const MethodInfo& info = InfoOf(q.method);
    MethodSheet s;
    s.title = ResultTitle(r);
    s.voltageLine = info.rule == VoltageRule::Chosen ? QStringLiteral("%1 V").arg(q.materialVolts)
                                                     : QCoreApplication::translate("Report", "10 V → 100 V rule");
    s.rows.push_back({QCoreApplication::translate("Report", "Procedure"), QStringLiteral("%1; %2").arg(QString::fromUtf8(info.timing),
                                                                             QString::fromUtf8(info.source))});
    if (info.resistivity)
        s.rows.push_back({QCoreApplication::translate("Report", "Electrodes"), GeometryText(q.geometry)});
    s.rows.push_back({QCoreApplication::translate("Report", "Path"), PathText(r)});
    if (r.result) {
        s.rows.push_back({QCoreApplication::translate("Report", "Result"),
                          QCoreApplication::translate("Report", "%1 at %2 V").arg(ReadingText(r.result->value)).arg(r.result->volts)});
        s.rows.push_back({QCoreApplication::translate("Report", "Conditions"), ConditionsText(r.result->temperature, r.result->humidity)});
    }
    if (q.conditioningHours)
        s.rows.push_back({QCoreApplication::translate("Report", "Conditioning"), ConditioningText(q.conditioningHours)});
    if (!r.qualificationFlag.isEmpty())
        s.rows.push_back({QCoreApplication::translate("Report", "Qualification"), r.qualificationFlag});
    if (r.resistivity)
        s.rows.push_back({QCoreApplication::translate("Report", "Resistivity"), ResistivityText(*r.resistivity)});
    if (!r.classification.isEmpty())
        s.rows.push_back({QCoreApplication::translate("Report", "Class"), QStringLiteral("%1 (%2)").arg(r.classification, r.classificationSource)});
    s.verdict = r.verdict.text;
    s.source = r.verdict.source;
    return s;
}

qreal DrawMethodSheet(QPainter& p, const QRectF& box, const MethodSheet& sheet)
{
    qreal y = box.top();
    const qreal w = box.width();
    // Wrapped, not cut: a signed report keeps every word of a source.
    auto paragraph = [&](const QString& s, qreal indent) {
        const QRectF area(box.left() + indent, y, w - indent, box.bottom() - y);
        y += p.boundingRect(area, Qt::TextWordWrap, s).height();
        p.drawText(area, Qt::TextWordWrap, s);
    };
    UseBlockFont(p, 10, true);
    paragraph(sheet.title, 0);
    y += BlockLine(p) * 0.2;
    const qreal captionWidth = w * 0.18;
    for (const auto& [caption, text] : sheet.rows) {
        UseBlockFont(p, 9, true);
        p.drawText(QRectF(box.left(), y, captionWidth, box.bottom() - y), Qt::AlignLeft | Qt::AlignTop, caption);
        UseBlockFont(p, 9);
        paragraph(text, captionWidth);
    }
    y += BlockLine(p) * 0.4;
    UseBlockFont(p, 9.5, true);
    paragraph(QCoreApplication::translate("Report", "Verdict: %1").arg(sheet.verdict), 0);
    UseBlockFont(p, 8.5);
    paragraph(QCoreApplication::translate("Report", "Limit: %1").arg(sheet.source.isEmpty() ? QCoreApplication::translate("Report", "no limit applied") : sheet.source),
              0);
    return y - box.top() + BlockLine(p) * 0.6;
}

}  // namespace krx
