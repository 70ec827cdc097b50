// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/history_report.h"

#include "history/test_values.h"
#include "ui/history/trend_chart.h"
#include "ui/record/report.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextOption>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>

#include <algorithm>
#include <vector>
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

    // The height the text takes at the page's width.
    double Height(const QString& text, double points)
    {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(points);
        painter.setFont(font);
        return painter.boundingRect(QRectF(0, 0, area.width(), 1e6), Qt::TextWordWrap | Qt::AlignLeft, text).height();
    }

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
    QStringList parts{h.tests.size() == 1 ? QCoreApplication::translate("HistoryWindow", "1 test") : QCoreApplication::translate("HistoryWindow", "%1 tests").arg(h.tests.size())};
    if (!h.tests.empty()) {
        parts << QCoreApplication::translate("HistoryWindow", "%1 to %2")
                     .arg(h.tests.front().time.toString(QStringLiteral("yyyy-MM-dd")),
                          h.tests.back().time.toString(QStringLiteral("yyyy-MM-dd")));
    }
    if (h.usual.volts > 0)
        parts << QCoreApplication::translate("HistoryWindow", "usual voltage %1 V").arg(h.usual.volts);
    if (h.usual.medianTemperatureC)
        parts << QCoreApplication::translate("HistoryWindow", "median temperature %1 °C").arg(*h.usual.medianTemperatureC, 0, 'f', 1);
    return parts.join(QStringLiteral(", "));
}

// An asset of ESD or material tests alone: none of a winding's figures is said.
bool MethodsOnly(const AssetHistory& h)
{
    return !h.tests.empty() &&
           std::all_of(h.tests.begin(), h.tests.end(), [](const history::TestRecord& t) { return t.method.has_value(); });
}

// The verdicts' sources, numbered as the table's verdicts refer to them.
QString Sources(const QStringList& sources, bool methodsOnly)
{
    QStringList lines;
    if (!methodsOnly)
        lines << QCoreApplication::translate("HistoryWindow", "R @ 40 °C: the 1-minute resistance corrected to 40 °C (IEEE 43-2013).");
    if (!sources.isEmpty())
        lines << QCoreApplication::translate("HistoryWindow", "Verdicts after:") + QLatin1Char('\n') + history::SourceList(sources);
    return lines.join(QLatin1Char('\n'));
}

void DrawTrend(Page& page, const AssetHistory& h)
{
    // Drawn at screen size and scaled onto the page, so fonts and lines keep their proportions.
    const QSizeF size(1000, 520);
    QGraphicsScene scene;
    QChart* chart = MakeTrendChart(TrendOf(h));
    // Beside the plot the legend lists every line whole; under it, a line per voltage would be cut.
    chart->legend()->setAlignment(Qt::AlignRight);
    scene.addItem(chart);
    chart->resize(size);
    chart->layout()->activate();
    const double height = page.area.width() * size.height() / size.width();
    const QRectF target(page.area.left(), page.y, page.area.width(), height);
    scene.render(&page.painter, target, QRectF(QPointF(0, 0), size));
    page.y += height + page.Mm(2);
}

QTextOption Wrapping()
{
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// Column widths: each at least its longest word, the rest of the page shared by how much more
// room each column's longest text would like, so that wrapping falls where it costs least.
QList<double> ColumnWidths(const QFontMetricsF& fm, const std::vector<QStringList>& rows, const QList<int>& columns,
                           double width, double padding)
{
    QList<double> least, wish;
    for (int col : columns) {
        double word = 0, whole = 0;
        for (const QStringList& row : rows) {
            const double text = fm.horizontalAdvance(row[col]);
            whole = std::max(whole, text);
            // A short text ("12.0 °C", "1000 V") is kept on one line.
            if (text <= width / 14)
                word = std::max(word, text);
            for (const QString& w : row[col].split(QLatin1Char(' '), Qt::SkipEmptyParts))
                word = std::max(word, fm.horizontalAdvance(w));
        }
        least << std::min(word, width / 6) + padding + 2;  // a little slack against rounding
        wish << whole + padding;
    }
    const double wished = std::accumulate(wish.begin(), wish.end(), 0.0);
    const double needed = std::accumulate(least.begin(), least.end(), 0.0);
    QList<double> widths;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (wished <= width)
            widths << wish[i] + (width - wished) / static_cast<double>(columns.size());
        else
            widths << least[i] + std::max(0.0, width - needed) * (wish[i] - least[i]) / std::max(1.0, wished - needed);
    }
    return widths;
}

// Every test, a row each; columns that no test fills are left out, and every cell wraps its text.
void DrawTable(Page& page, const AssetHistory& h, QStringList& sources, const std::function<bool()>& newPage)
{
    QStringList titles = ColumnTitles();
    titles[ColR60At40] = QStringLiteral("R @ 40 °C");
    std::vector<QStringList> rows;
    for (size_t i = 0; i < h.tests.size(); ++i) {
        rows.push_back(RowTexts(h.tests[i], h.markReasons[i]));
        rows.back()[ColVerdicts] = history::VerdictCell(h.tests[i], &sources);
    }
    QList<int> columns;
    for (int col : {ColDate, ColKind, ColVoltage, ColDuration, ColTemperature, ColHumidity, ColR60At40, ColDar, ColPi,
                    ColReading, ColVerdicts, ColMark, ColOperator, ColComment, ColNotes}) {
        if (std::any_of(rows.begin(), rows.end(), [col](const QStringList& r) { return !r[col].isEmpty(); }))
            columns << col;
    }
    if (columns.isEmpty())
        return;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
    page.painter.setFont(font);
    const double pad = page.Mm(0.6);
    std::vector<QStringList> all = rows;
    all.push_back(titles);
    QFont bold = font;
    bold.setBold(true);
    const QList<double> widths =
        ColumnWidths(QFontMetricsF(bold, page.painter.device()), all, columns, page.area.width(), 2 * pad);
    const QTextOption wrap = Wrapping();

    const auto heightOf = [&](const QStringList& texts, bool header) {
        page.painter.setFont(header ? bold : font);
        double tallest = 0;
        for (int i = 0; i < columns.size(); ++i) {
            const QRectF cell(0, 0, widths[i] - 2 * pad, 1e6);
            tallest = std::max(tallest, page.painter.boundingRect(cell, texts[columns[i]], wrap).height());
        }
        return tallest + 2 * pad;
    };
    const auto drawRow = [&](const QStringList& texts, bool header, bool marked) {
        const double height = heightOf(texts, header);
        if (marked)
            page.painter.fillRect(QRectF(page.area.left(), page.y, page.area.width(), height), QColor(0xfd, 0xe4, 0xe4));
        page.painter.setPen(Qt::black);
        double x = page.area.left();
        for (int i = 0; i < columns.size(); ++i) {
            page.painter.drawText(QRectF(x + pad, page.y + pad, widths[i] - 2 * pad, height), texts[columns[i]], wrap);
            x += widths[i];
        }
        page.y += height;
        page.painter.setPen(QColor(0xbb, 0xbb, 0xbb));
        page.painter.drawLine(QPointF(page.area.left(), page.y), QPointF(page.area.right(), page.y));
    };
    drawRow(titles, true, false);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (page.y + heightOf(rows[i], false) > page.area.bottom()) {
            if (!newPage || !newPage()) {
                const size_t more = rows.size() - i;
                page.Text(more == 1 ? QCoreApplication::translate("HistoryWindow", "1 more test on the next page.")
                                    : QCoreApplication::translate("HistoryWindow", "%1 more tests on the next pages.").arg(more),
                          8);
                return;
            }
            page.y = page.area.top();
            drawRow(titles, true, false);
        }
        drawRow(rows[i], false, !h.markReasons[i].isEmpty());
    }
}

}  // namespace

void PaintHistoryReport(QPainter& painter, const QRectF& area, double dpi, const AssetHistory& history,
                        const std::function<bool()>& newPage)
{
    painter.setRenderHint(QPainter::Antialiasing);
    Page page{painter, area, dpi, area.top()};
    page.Text(MethodsOnly(history) ? QCoreApplication::translate("HistoryReport", "ESD and material test history")
                                   : QCoreApplication::translate("HistoryWindow", "Insulation history"),
              16, true);
    page.Text(AssetLine(history.asset), 11);
    page.Text(Summary(history) + QCoreApplication::translate("HistoryWindow", ". Made ") +
                  QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QLatin1Char('.'),
              9, false, QColor(0x44, 0x44, 0x44));
    DrawTrend(page, history);
    // The rule that explains the marks only where a test is marked.
    if (std::any_of(history.markReasons.begin(), history.markReasons.end(), [](const QString& m) { return !m.isEmpty(); }))
        page.Text(MarkRuleText(), 8, false, QColor(0xc6, 0x28, 0x28));
    QStringList verdictSources;
    DrawTable(page, history, verdictSources, newPage);
    page.y += page.Mm(2);
    // The sources whole on this page or the next, never cut at its foot.
    const QString sources = Sources(verdictSources, MethodsOnly(history));
    if (page.y + page.Height(sources, 8) > area.bottom() && newPage && newPage())
        page.y = area.top();
    page.Text(sources, 8, false, QColor(0x44, 0x44, 0x44));
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
        writer.setPageLayout(QPageLayout(QPageSize(ReportPageSize()), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        writer.setTitle((MethodsOnly(history) ? QCoreApplication::translate("HistoryReport", "ESD and material test history of ")
                                              : QCoreApplication::translate("HistoryWindow", "Insulation history of ")) +
                        history.asset.id);
        writer.setCreator(QStringLiteral("KRX 738 read-out"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QCoreApplication::translate("HistoryWindow", "the PDF could not be started");
            file.cancelWriting();
            return false;
        }
        PaintHistoryReport(painter, QRectF(painter.viewport()), kResolution, history,
                           [&writer] { return writer.newPage(); });
        painter.end();
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace krx::history_view
