// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/history_report.h"

#include "ui/history/trend_chart.h"

#include <QGraphicsScene>
#include <QGraphicsLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QtCharts/QChart>

#include <algorithm>
#include <numeric>

namespace krx::history_view {
namespace {

constexpr int kResolution = 300;  // dots per inch of the PDF's coordinates

struct Page {
    QPainter& painter;
    QRectF area;  // inside the margins
    double dpi;
    double y = 0;

    double Mm(double mm) const { return mm * dpi / 25.4; }

    void Text(const QString& text, double points, bool bold = false, const QColor& color = Qt::black)
    {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        painter.setFont(font);
        painter.setPen(color);
        const QRectF box(area.left(), y, area.width(), area.bottom() - y);
        QRectF used;
        painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text, &used);
        y += used.height() + Mm(1.5);
    }
};

QString Summary(const AssetHistory& h)
{
    QStringList parts{QStringLiteral("%1 tests").arg(h.tests.size())};
    if (!h.tests.empty()) {
        parts << QStringLiteral("%1 to %2")
                     .arg(h.tests.front().time.toString(QStringLiteral("yyyy-MM-dd")),
                          h.tests.back().time.toString(QStringLiteral("yyyy-MM-dd")));
    }
    if (h.usual.volts > 0)
        parts << QStringLiteral("usual voltage %1 V").arg(h.usual.volts);
    if (h.usual.medianTemperatureC)
        parts << QStringLiteral("median temperature %1 °C").arg(*h.usual.medianTemperatureC, 0, 'f', 1);
    return parts.join(QStringLiteral(", "));
}

QString Sources(const AssetHistory& h)
{
    QStringList sources;
    for (const auto& t : h.tests)
        if (!t.verdictSource.isEmpty() && !sources.contains(t.verdictSource))
            sources << t.verdictSource;
    QString text = QStringLiteral("R @ 40 °C: the 1-minute resistance corrected to 40 °C (IEEE 43-2013).");
    if (!sources.isEmpty())
        text += QStringLiteral(" Verdicts after: ") + sources.join(QStringLiteral("; ")) + QLatin1Char('.');
    return text;
}

void DrawTrend(Page& page, const AssetHistory& h)
{
    // Drawn at screen size and scaled onto the page, so fonts and lines keep their proportions.
    const QSizeF size(820, 460);
    QGraphicsScene scene;
    QChart* chart = MakeTrendChart(TrendOf(h));
    scene.addItem(chart);
    chart->resize(size);
    chart->layout()->activate();
    const double height = page.area.width() * size.height() / size.width();
    const QRectF target(page.area.left(), page.y, page.area.width(), height);
    scene.render(&page.painter, target, QRectF(QPointF(0, 0), size));
    page.y += height + page.Mm(2);
}

void DrawTable(Page& page, const AssetHistory& h)
{
    const QList<int> columns{ColDate, ColKind,    ColVoltage, ColTemperature, ColR60At40, ColDar,
                             ColPi,   ColReading, ColVerdicts, ColMark, ColComment, ColNotes};
    const QList<double> widths{14, 5.5, 6.5, 6, 7, 4, 4, 10, 10, 12, 8, 13};  // shares of the width
    const double total = std::accumulate(widths.begin(), widths.end(), 0.0);

    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
    page.painter.setFont(font);
    const double rowHeight = page.painter.fontMetrics().height() * 1.35;
    const int room = std::max(0, static_cast<int>((page.area.bottom() - page.y) / rowHeight) - 2);
    const int shown = std::min<int>(room, static_cast<int>(h.tests.size()));
    const int first = static_cast<int>(h.tests.size()) - shown;
    if (first > 0) {
        page.Text(QStringLiteral("The %1 latest of %2 tests; the CSV export holds them all.").arg(shown).arg(h.tests.size()),
                  8);
        page.painter.setFont(font);
    }

    QStringList titles = ColumnTitles();
    titles[ColR60At40] = QStringLiteral("R @ 40 °C");
    auto drawRow = [&](const QStringList& texts, bool header, bool marked) {
        if (marked)
            page.painter.fillRect(QRectF(page.area.left(), page.y, page.area.width(), rowHeight), QColor(0xfd, 0xe4, 0xe4));
        QFont f = font;
        f.setBold(header);
        page.painter.setFont(f);
        page.painter.setPen(Qt::black);
        double x = page.area.left();
        for (int i = 0; i < columns.size(); ++i) {
            const double w = page.area.width() * widths[i] / total;
            const QRectF cell(x + page.Mm(0.5), page.y, w - page.Mm(1), rowHeight);
            const QString text = page.painter.fontMetrics().elidedText(texts[columns[i]], Qt::ElideRight,
                                                                       static_cast<int>(cell.width()));
            page.painter.drawText(cell, Qt::AlignVCenter | Qt::AlignLeft, text);
            x += w;
        }
        page.y += rowHeight;
        if (header) {
            page.painter.drawLine(QPointF(page.area.left(), page.y), QPointF(page.area.right(), page.y));
        }
    };
    drawRow(titles, true, false);
    for (int i = first; i < static_cast<int>(h.tests.size()); ++i)
        drawRow(RowTexts(h.tests[i], h.markReasons[i]), false, !h.markReasons[i].isEmpty());
}

}  // namespace

void PaintHistoryReport(QPainter& painter, const QRectF& area, double dpi, const AssetHistory& history)
{
    painter.setRenderHint(QPainter::Antialiasing);
    Page page{painter, area, dpi, area.top()};
    page.Text(QStringLiteral("Insulation history"), 16, true);
    page.Text(AssetLine(history.asset), 11);
    page.Text(Summary(history) + QStringLiteral(". Made ") +
                  QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QLatin1Char('.'),
              9, false, QColor(0x44, 0x44, 0x44));
    DrawTrend(page, history);
    page.Text(MarkRuleText(), 8, false, QColor(0xc6, 0x28, 0x28));
    DrawTable(page, history);
    page.y += page.Mm(2);
    page.Text(Sources(history), 8, false, QColor(0x44, 0x44, 0x44));
}

bool WriteHistoryReport(const QString& fileName, const AssetHistory& history, QString* error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("Insulation history of ") + history.asset.id);
        writer.setCreator(QStringLiteral("KRX 738 read-out"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QStringLiteral("the PDF could not be started");
            file.cancelWriting();
            return false;
        }
        PaintHistoryReport(painter, QRectF(painter.viewport()), kResolution, history);
        painter.end();
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace krx::history_view
