// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/report_steps.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace krx {

void UseBlockFont(QPainter& p, qreal points, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    p.setFont(f);
}

qreal BlockLine(const QPainter& p)
{
    return QFontMetricsF(p.font(), p.device()).lineSpacing();
}

qreal DrawStepTable(QPainter& p, const QRectF& box, const StepTable& t)
{
    qreal y = box.top();
    const qreal w = box.width();
    auto text = [&](const QString& s, qreal x, qreal width, Qt::Alignment align = Qt::AlignLeft) {
        const QFontMetricsF fm(p.font(), p.device());
        p.drawText(QRectF(box.left() + x, y, width, BlockLine(p)), align | Qt::AlignTop,
                   fm.elidedText(s, Qt::ElideRight, width));
    };
    // Wrapped, not cut: a signed report keeps every word of a source.
    auto paragraph = [&](const QString& s, qreal indent) {
        const QRectF area(box.left() + indent, y, w - indent, box.bottom() - y);
        y += p.boundingRect(area, Qt::TextWordWrap, s).height();
        p.drawText(area, Qt::TextWordWrap, s);
    };
    UseBlockFont(p, 10, true);
    text(QCoreApplication::translate("Report", "Step-voltage test: %1").arg(t.planLine), 0, w);
    y += BlockLine(p) * 1.1;
    const qreal at[] = {0, 0.12, 0.3, 0.6};
    const qreal ends[] = {0.1, 0.28, 0.56, 0.86};
    auto row = [&](const QStringList& cells, bool bold) {
        UseBlockFont(p, 9, bold);
        for (int i = 0; i < 4; ++i)
            text(cells.value(i), w * at[i], w * (ends[i] - at[i]), i < 2 ? Qt::AlignLeft : Qt::AlignRight);
        y += BlockLine(p);
    };
    row(t.header, true);
    for (const QStringList& r : t.rows)
        row(r, false);
    y += BlockLine(p) * 0.4;
    UseBlockFont(p, 9.5, true);
    paragraph(t.changeLine, 0);
    paragraph(QCoreApplication::translate("Report", "Verdict: %1").arg(t.verdict.text), 0);
    UseBlockFont(p, 8.5);
    paragraph(QCoreApplication::translate("Report", "Source: %1").arg(t.verdict.source.isEmpty() ? QCoreApplication::translate("Report", "no rule applies")
                                                                          : t.verdict.source),
              BlockLine(p));
    y += BlockLine(p) * 0.6;
    return y - box.top();
}

}  // namespace krx
