// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/report.h"

#include "ui/record/report_steps.h"

#include <QCoreApplication>
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

// An ESD item or a material is no insulation: the title says which test it is.
QString ReportTitle(const ReportContent& c)
{
    return c.method ? QCoreApplication::translate("Report", "Resistance test: %1").arg(c.method->title)
                    : QCoreApplication::translate("Report", "Insulation resistance measurement");
}

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

QString Or(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("–") : text;
}

// The simulated meter's mark: large, red, on every page, so that no page passes for a real test.
void DrawSimulated(Page& page, const ReportContent& c)
{
    if (!c.simulated)
        return;
    page.Font(18, true);
    page.painter().setPen(QColor(0xc6, 0x28, 0x28));
    page.Text(QCoreApplication::translate("Report", "SIMULATED METER – NOT A MEASUREMENT"));
    page.painter().setPen(Qt::black);
    page.Down(page.Line() * 1.1);
}

void DrawTitle(Page& page, const ReportContent& c, const QString& subtitle)
{
    const QLocale locale;
    const QDateTime made = c.made.isValid() ? c.made : QDateTime::currentDateTime();
    page.Font(15, true);
    page.Text(ReportTitle(c) + subtitle);
    page.Down(page.Line() * 1.15);
    page.Font(8.5);
    page.painter().setPen(QColor(0x44, 0x44, 0x44));
    page.Text(QCoreApplication::translate("Report", "Report date: %1").arg(locale.toString(made, QLocale::ShortFormat)));
    page.painter().setPen(Qt::black);
    page.Down(page.Line() * 1.3);
    DrawSimulated(page, c);
}

// Label and value pairs in two columns; an empty value is a line to write on. The pairs after the
// seventh take a row each (the meter, the correction: long texts).
void DrawFields(Page& page, const QString& title, const std::vector<std::pair<QString, QString>>& fields)
{
    page.Font(10, true);
    page.Text(title);
    page.Down(page.Line() * 1.1);
    const qreal half = page.Area().width() / 2;
    const qreal labelWidth = half * 0.36;
    page.Font(9);
    qreal rowHeight = page.Line();  // the tallest value of the row so far
    for (size_t i = 0; i < fields.size(); ++i) {
        const bool wide = i >= 7;
        const qreal x = wide ? 0 : static_cast<qreal>(i % 2) * half;
        const qreal width = wide ? 2 * half : half;
        page.Font(9, true);
        page.Text(fields[i].first, x, labelWidth);
        page.Font(9);
        if (fields[i].second.isEmpty()) {
            const qreal y = page.Y() + page.Line() * 0.9;
            page.painter().drawLine(QPointF(page.Area().left() + x + labelWidth, y),
                                    QPointF(page.Area().left() + x + half - page.Line(), y));
        } else {
            // A long text (a long asset name, the correction and its source) is wrapped rather
            // than cut, anywhere in a word too long for its column.
            const QRectF box(page.Area().left() + x + labelWidth, page.Y(),
                             width - labelWidth - (wide ? 0 : page.Line() * 0.5), page.Area().height());
            const QString& text = fields[i].second;
            const int wrap = page.painter().boundingRect(box, Qt::TextWordWrap, text).width() <= box.width()
                                 ? Qt::TextWordWrap
                                 : Qt::TextWrapAnywhere;
            const QRectF used = page.painter().boundingRect(box, wrap, text);
            page.painter().drawText(box, wrap, text);
            rowHeight = std::max(rowHeight, used.height());
        }
        if (wide || i % 2 == 1 || i + 1 == fields.size() || i + 1 == 7) {
            page.Down(rowHeight - page.Line() + page.Line() * 1.15);
            rowHeight = page.Line();
        }
    }
    page.Down(page.Line() * 0.5);
}

// To a tenth of a second, as the figures give it.
QString RampText(double seconds)
{
    return seconds < 60 ? QLocale().toString(seconds, 'f', 1) + QStringLiteral(" s") : DurationText(seconds);
}

void DrawConditions(Page& page, const ReportContent& c)
{
    const QLocale locale;
    const auto celsius = [&](const std::optional<double>& v) {
        return v ? locale.toString(*v, 'f', 1) + QStringLiteral(" °C") : QCoreApplication::translate("Report", "not measured");
    };
    const QString when = c.started.isValid() ? locale.toString(c.started, QLocale::ShortFormat) : QString();
    DrawFields(page, QCoreApplication::translate("Report", "Test object"),
               {{QCoreApplication::translate("Report", "Asset"), c.asset},
                {QCoreApplication::translate("Report", "Site, location"), c.location},
                {QCoreApplication::translate("Report", "Nameplate"), c.nameplate},
                {QCoreApplication::translate("Report", "Operator"), c.operatorName}});
    DrawFields(page, QCoreApplication::translate("Report", "Test"),
               {{QCoreApplication::translate("Report", "Started"), when},
                {QCoreApplication::translate("Report", "Duration"), DurationText(c.durationSeconds)},
                {QCoreApplication::translate("Report", "Voltage"), c.method ? c.method->voltageLine
                                            : c.steps         ? QCoreApplication::translate("Report", "steps of %1").arg(c.steps->voltsLine)
                                            : c.volts > 0 ? QStringLiteral("%1 V").arg(c.volts)
                                                          : QStringLiteral("–")},
                {QCoreApplication::translate("Report", "Ramp"), c.rampSeconds ? QCoreApplication::translate("Report", "%1 to a stable voltage").arg(RampText(*c.rampSeconds))
                                                       : QCoreApplication::translate("Report", "not known")},
                {QCoreApplication::translate("Report", "Air at the meter"), celsius(c.temperature)},
                {QCoreApplication::translate("Report", "Humidity"), c.humidity ? QStringLiteral("%1 %").arg(*c.humidity)
                                                        : QCoreApplication::translate("Report", "not measured")},
                {QCoreApplication::translate("Report", "Dew point"), c.dewPoint ? celsius(c.dewPoint) : QCoreApplication::translate("Report", "not known")},
                {QCoreApplication::translate("Report", "Meter"), QCoreApplication::translate("Report", "%1, serial %2, software %3")
                                              .arg(Or(c.meterType), Or(c.serial), Or(c.swVersion))},
                {QCoreApplication::translate("Report", "Correction"), Or(c.figures.temperatureLine)}});
    page.Down(page.Line() * 0.5);
}

// `room`: what the page has left for the plot once what comes below it is placed; the plot gives
// way down to a quarter of the page's width so that nothing below it runs into the signatures.
void DrawPlot(Page& page, const ReportContent& c, qreal room)
{
    const qreal wanted = page.Area().width() * std::clamp(c.plotAspect, 0.35, 0.5);
    const QRectF box(page.Area().left(), page.Y(), page.Area().width(),
                     std::max(page.Area().width() * 0.25, std::min(wanted, room - page.Line() * 0.6)));
    if (c.drawPlot) {
        page.painter().save();
        c.drawPlot(page.painter(), box);
        page.painter().restore();
    } else {
        page.painter().drawRect(box);
        page.painter().drawText(box, Qt::AlignCenter, QCoreApplication::translate("Report", "no readings"));
    }
    page.Down(box.height() + page.Line() * 0.6);
}

void DrawFigures(Page& page, const FigureTable& t, bool readingsPage)
{
    page.Font(10, true);
    page.Text(QCoreApplication::translate("Report", "Insulation figures"));
    page.Down(page.Line() * 1.1);
    const qreal w = page.Area().width();
    const qreal columns[] = {0, w * 0.28, w * 0.52, w * 0.76};
    const qreal width = w * 0.22;
    auto row = [&](const QStringList& cells, bool bold) {
        page.Font(9, bold);
        for (int i = 0; i < 4; ++i)
            page.Text(cells.value(i), columns[i], i == 0 ? w * 0.27 : width);
        page.Down(page.Line());
    };
    row(t.header, true);
    for (const QStringList& r : t.rows)
        row(r, false);
    page.Font(8.5);
    page.Text(QCoreApplication::translate("Report", "R at the exact times, interpolated in log R between the readings on either side%1.")
                  .arg(readingsPage ? QCoreApplication::translate("Report", "; page 2 lists the readings themselves") : QString()));
    page.Down(page.Line() * 1.4);
    // The figures' lines are wrapped, not cut: a signed report keeps every word of a source.
    auto paragraph = [&](const QString& text, qreal indent) {
        const QRectF box(page.Area().left() + indent, page.Y(), page.Area().width() - indent, page.Area().height());
        const QRectF used = page.painter().boundingRect(box, Qt::TextWordWrap, text);
        page.painter().drawText(box, Qt::TextWordWrap, text);
        page.Down(used.height());
    };
    page.Font(9.5);
    // The ramp, the climate and the correction's temperature stand once, with the test's conditions.
    if (!t.nameplateLine.isEmpty())
        paragraph(t.nameplateLine, 0);
    for (auto [name, v] : {std::pair{QCoreApplication::translate("Report", "Minimum IR"), &t.ir}, std::pair{QStringLiteral("PI"), &t.pi},
                           std::pair{QStringLiteral("DAR"), &t.dar}}) {
        page.Font(9.5, true);
        paragraph(QStringLiteral("%1: %2").arg(name, v->text), 0);
        page.Font(8.5);
        paragraph(QCoreApplication::translate("Report", "Source: %1").arg(v->source.isEmpty() ? QCoreApplication::translate("Report", "no rule applies") : v->source),
                  page.Line());
    }
    page.Font(9.5, true);
    for (const QString& note : t.notes)
        paragraph(note, 0);
    page.Down(page.Line() * 0.6);
}

// "Tested by" and "Checked by", each with name, date and signature to write by hand.
qreal SignatureHeight(Page& page)
{
    page.Font(9);
    return page.Line() * 5.5;
}

void DrawSignatures(Page& page, const ReportContent& c)
{
    page.Font(9);
    const qreal top = page.Area().bottom() - SignatureHeight(page);
    const qreal w = page.Area().width();
    QPainter& p = page.painter();
    for (int i = 0; i < 2; ++i) {
        const qreal y = top + page.Line() * (0.8 + 2.4 * i);
        const qreal x = page.Area().left();
        page.Font(9, true);
        p.drawText(QRectF(x, y + page.Line() * 0.3, w * 0.2, page.Line()), Qt::AlignLeft | Qt::AlignTop,
                   i == 0 ? QCoreApplication::translate("Report", "Tested by") : QCoreApplication::translate("Report", "Checked by"));
        page.Font(8);
        const qreal lineY = y + page.Line() * 1.2;
        const qreal parts[][2] = {{0.2, 0.5}, {0.53, 0.68}, {0.71, 1.0}};
        const QString names[] = {i == 0 && !c.operatorName.isEmpty() ? c.operatorName : QCoreApplication::translate("Report", "Name"),
                                 QCoreApplication::translate("Report", "Date"), QCoreApplication::translate("Report", "Signature")};
        for (int k = 0; k < 3; ++k) {
            p.drawLine(QPointF(x + w * parts[k][0], lineY), QPointF(x + w * parts[k][1], lineY));
            p.drawText(QRectF(x + w * parts[k][0], lineY + 1, w * (parts[k][1] - parts[k][0]), page.Line()),
                       Qt::AlignLeft | Qt::AlignTop, names[k]);
        }
    }
}

void DrawComment(Page& page, const QString& comment, qreal bottom)
{
    page.Font(10, true);
    page.Text(QCoreApplication::translate("Report", "Comment"));
    page.Down(page.Line() * 1.1);
    page.Font(9);
    QRectF rest = page.Rest();
    rest.setBottom(bottom);
    DrawWrapped(page.painter(), rest, comment.isEmpty() ? QStringLiteral("–") : comment);
}

void DrawKeyReadings(Page& page, const ReportContent& c)
{
    const QLocale locale;
    page.Font(10, true);
    page.Text(QCoreApplication::translate("Report", "Readings at key times"));
    page.Down(page.Line() * 1.3);
    page.Font(8.5);
    const QString note =
        c.steps ? QCoreApplication::translate("Report", "Each row is the reading that closed its step, as it was measured.")
                : QCoreApplication::translate("Report", "Each row is the first reading the meter gave at or after its key time, as it was "
                                 "measured. The figures on page 1 are taken at the exact times, interpolated in log R "
                                 "between the readings on either side, and may differ from these.");
    const QRectF box(page.Area().left(), page.Y(), page.Area().width(), page.Area().height());
    const QRectF used = page.painter().boundingRect(box, Qt::TextWordWrap, note);
    page.painter().drawText(box, Qt::TextWordWrap, note);
    page.Down(used.height() + page.Line() * 0.6);
    const qreal w = page.Area().width();
    const qreal at[] = {0, 0.14, 0.3, 0.52, 0.66, 0.82};
    auto row = [&](const QStringList& cells, bool bold) {
        page.Font(9, bold);
        for (int i = 0; i < cells.size(); ++i)
            page.Text(cells[i], w * at[i], w * ((i + 1 < 6 ? at[i + 1] : 1.0) - at[i]) - page.Line() * 0.3);
        page.Down(page.Line() * 1.1);
    };
    row({QCoreApplication::translate("Report", "Key time"), QCoreApplication::translate("Report", "Reading at"), QCoreApplication::translate("Report", "Resistance"), QCoreApplication::translate("Report", "Voltage"),
         QCoreApplication::translate("Report", "Temperature"), QCoreApplication::translate("Report", "Humidity")},
        true);
    for (const KeyReading& k : c.keyReadings) {
        const DataRecord& r = k.reading;
        const QString ohm = r.range == RangeState::Over    ? QCoreApplication::translate("Report", "over range")
                            : r.range == RangeState::Under ? QCoreApplication::translate("Report", "under range")
                                                           : OhmText(r.resistanceOhm);
        row({k.when, DurationText(r.elapsedSeconds), ohm, QStringLiteral("%1 V").arg(r.volts),
             locale.toString(r.temperature, 'f', 1) + QStringLiteral(" °C"), QStringLiteral("%1 %").arg(r.humidity)},
            false);
    }
}

}  // namespace

QPageSize::PageSizeId ReportPageSize()
{
    return QLocale().measurementSystem() == QLocale::MetricSystem ? QPageSize::A4 : QPageSize::Letter;
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
        pdf.setPageLayout(QPageLayout(QPageSize(ReportPageSize()), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        pdf.setTitle(QStringLiteral("%1 %2").arg(ReportTitle(content), content.serial));
        pdf.setCreator(QStringLiteral("krx738"));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            file.cancelWriting();
            if (error)
                *error = QCoreApplication::translate("Report", "The PDF could not be started.");
            return false;
        }
        const QRectF area(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
        Page page(painter, area);
        DrawTitle(page, content, {});
        DrawConditions(page, content);
        // The figures' height, found by drawing them where nothing shows.
        qreal below = 0;
        if (!content.method && !content.steps) {
            painter.save();
            painter.setClipRect(QRectF(), Qt::ReplaceClip);
            Page probe(painter, area);
            DrawFigures(probe, content.figures, !content.keyReadings.empty());
            painter.restore();
            below = probe.Y() - area.top();
        }
        page.Font(9);
        const qreal commentRoom = page.Line() * 3.5;
        DrawPlot(page, content, area.bottom() - SignatureHeight(page) - commentRoom - below - page.Y());
        if (content.method)
            page.Down(DrawMethodSheet(painter, page.Rest(), *content.method));
        else if (content.steps)
            page.Down(DrawStepTable(painter, page.Rest(), *content.steps));
        else
            DrawFigures(page, content.figures, !content.keyReadings.empty());
        DrawComment(page, content.comment, area.bottom() - SignatureHeight(page));
        DrawSignatures(page, content);
        if (!content.keyReadings.empty()) {
            pdf.newPage();
            Page second(painter, area);
            DrawTitle(second, content, QCoreApplication::translate("Report", ", page 2"));
            DrawKeyReadings(second, content);
        }
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
