// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/report.h"

#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace krx {

namespace {

constexpr int kDpi = 300;

// Lays `text` out in `box`, wrapping at words or, in a word too long for a line, anywhere; what
// does not fit ends the last line that does with an ellipsis, so the page stays one page.
void DrawWrapped(QPainter& p, const QRectF& box, const QString& text)
{
    const QFontMetricsF fm(p.font(), p.device());
    const qreal lineHeight = fm.lineSpacing();
    const int maxLines = std::max(1, static_cast<int>(box.height() / lineHeight));
    QString flat = text;
    // A layout breaks lines only at the Unicode line separator, not at the comment's own breaks.
    flat.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    flat.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, p.font(), p.device());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    std::vector<QTextLine> lines;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, lineHeight * static_cast<qreal>(lines.size())));
        lines.push_back(line);
    }
    layout.endLayout();
    const bool cut = static_cast<int>(lines.size()) > maxLines;
    const int shown = std::min(static_cast<int>(lines.size()), maxLines);
    for (int i = 0; i < shown; ++i) {
        const QTextLine& line = lines[static_cast<size_t>(i)];
        const QPointF at = box.topLeft() + QPointF(0, lineHeight * i);
        if (cut && i == shown - 1) {
            const QString rest = flat.mid(line.textStart());
            p.drawText(QRectF(at, QSizeF(box.width(), lineHeight)), Qt::AlignLeft | Qt::AlignTop,
                       fm.elidedText(rest.simplified(), Qt::ElideRight, box.width()));
        } else {
            line.draw(&p, at - line.position());
        }
    }
}

class Page {
public:
    Page(QPainter& p, const QRectF& area) : p_(p), area_(area), y_(area.top()) {}

    void Font(qreal points, bool bold = false)
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(points);
        f.setBold(bold);
        p_.setFont(f);
    }
    qreal Line() const { return QFontMetricsF(p_.font(), p_.device()).lineSpacing(); }
    void Text(const QString& text, qreal x = 0, qreal width = -1)
    {
        const qreal w = width < 0 ? area_.width() - x : width;
        const QFontMetricsF fm(p_.font(), p_.device());
        p_.drawText(QRectF(area_.left() + x, y_, w, Line()), Qt::AlignLeft | Qt::AlignTop,
                    fm.elidedText(text, Qt::ElideRight, w));
    }
    void Down(qreal by) { y_ += by; }
    qreal Y() const { return y_; }
    QRectF Rest() const { return QRectF(area_.left(), y_, area_.width(), area_.bottom() - y_); }
    const QRectF& Area() const { return area_; }
    QPainter& painter() { return p_; }

private:
    QPainter& p_;
    QRectF area_;
    qreal y_;
};

void DrawHeader(Page& page, const ReportContent& c)
{
    const QLocale locale;
    page.Font(15, true);
    page.Text(QStringLiteral("Insulation resistance measurement"));
    page.Down(page.Line() * 1.3);
    page.Font(9.5);
    const qreal half = page.Area().width() / 2;
    const QString when = c.started.isValid() ? locale.toString(c.started, QLocale::LongFormat) : QStringLiteral("–");
    const QStringList left = {
        QStringLiteral("Meter: %1, serial %2, software %3").arg(c.meterType, c.serial, c.swVersion),
        QStringLiteral("Started: %1").arg(when),
        QStringLiteral("Voltage: %1 V, duration %2").arg(c.volts).arg(DurationText(c.durationSeconds)),
    };
    const QStringList right = {
        QStringLiteral("Temperature: %1").arg(c.temperature ? locale.toString(*c.temperature, 'f', 1) + QStringLiteral(" °C")
                                                            : QStringLiteral("–")),
        QStringLiteral("Humidity: %1").arg(c.humidity ? QStringLiteral("%1 %").arg(*c.humidity) : QStringLiteral("–")),
    };
    for (qsizetype i = 0; i < left.size(); ++i) {
        page.Text(left[i], 0, i < right.size() ? half * 1.25 : -1);
        if (i < right.size())
            page.Text(right[i], half * 1.3);
        page.Down(page.Line());
    }
    page.Down(page.Line() * 0.5);
}

void DrawPlot(Page& page, const ReportContent& c)
{
    const QRectF box(page.Area().left(), page.Y(), page.Area().width(),
                     page.Area().width() * std::clamp(c.plotAspect, 0.35, 0.6));
    if (c.drawPlot) {
        page.painter().save();
        c.drawPlot(page.painter(), box);
        page.painter().restore();
    } else {
        page.painter().drawRect(box);
        page.painter().drawText(box, Qt::AlignCenter, QStringLiteral("no readings"));
    }
    page.Down(box.height() + page.Line() * 0.6);
}

void DrawFigures(Page& page, const FigureTable& t)
{
    page.Font(9.5, true);
    page.Text(QStringLiteral("Insulation figures"));
    page.Down(page.Line() * 1.2);
    const qreal w = page.Area().width();
    const qreal columns[] = {0, w * 0.28, w * 0.52, w * 0.76};
    const qreal width = w * 0.22;
    auto row = [&](const QStringList& cells, bool bold) {
        page.Font(9.5, bold);
        for (int i = 0; i < 4; ++i)
            page.Text(cells.value(i), columns[i], i == 0 ? w * 0.27 : width);
        page.Down(page.Line());
    };
    row(t.header, true);
    for (const QStringList& r : t.rows)
        row(r, false);
    page.Down(page.Line() * 0.4);
    // The figures' lines are wrapped, not cut: a signed report keeps every word of a source.
    auto paragraph = [&](const QString& text, qreal indent) {
        const QRectF box(page.Area().left() + indent, page.Y(), page.Area().width() - indent, page.Area().height());
        const QRectF used = page.painter().boundingRect(box, Qt::TextWordWrap, text);
        page.painter().drawText(box, Qt::TextWordWrap, text);
        page.Down(used.height());
    };
    page.Font(9.5);
    for (const QString& line : {t.nameplateLine, t.rampLine, t.temperatureLine, t.climateLine})
        if (!line.isEmpty())
            paragraph(line, 0);
    for (auto [name, v] : {std::pair{QStringLiteral("Minimum IR"), &t.ir}, std::pair{QStringLiteral("PI"), &t.pi},
                           std::pair{QStringLiteral("DAR"), &t.dar}}) {
        page.Font(9.5, true);
        paragraph(QStringLiteral("%1: %2").arg(name, v->text), 0);
        if (!v->source.isEmpty()) {
            page.Font(8.5);
            paragraph(QStringLiteral("Source: %1").arg(v->source), page.Line());
        }
    }
    page.Font(9.5, true);
    for (const QString& note : t.notes)
        paragraph(note, 0);
    page.Down(page.Line() * 0.6);
}

void DrawComment(Page& page, const QString& comment)
{
    page.Font(9.5, true);
    page.Text(QStringLiteral("Comment"));
    page.Down(page.Line() * 1.2);
    page.Font(9.5);
    DrawWrapped(page.painter(), page.Rest(), comment.isEmpty() ? QStringLiteral("–") : comment);
}

}  // namespace

QString DurationText(double seconds)
{
    const long long s = std::llround(std::max(0.0, seconds));
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    if (s < 3600)
        return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

bool WriteReport(const ReportContent& content, const QString& fileName, QString* error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kDpi);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        pdf.setTitle(QStringLiteral("Insulation resistance measurement %1").arg(content.serial));
        pdf.setCreator(QStringLiteral("krx738"));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            file.cancelWriting();
            if (error)
                *error = QStringLiteral("The PDF could not be started.");
            return false;
        }
        Page page(painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
        DrawHeader(page, content);
        DrawPlot(page, content);
        DrawFigures(page, content.figures);
        DrawComment(page, content.comment);
        painter.end();
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace krx
