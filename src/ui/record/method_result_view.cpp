// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/method_result_view.h"

#include "core/judging/conditions.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>

namespace krx {

MethodResultView::MethodResultView(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("MethodResultView"));
    setFrameShape(QFrame::StyledPanel);
    auto* form = new QFormLayout(this);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    const auto row = [&](const char* name, const QString& caption) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, l);
        return l;
    };
    title = row("MethodTitle", QCoreApplication::translate("RecordView", "Method"));
    path = row("MethodPath", QCoreApplication::translate("RecordView", "Path"));
    result = row("MethodReading", QCoreApplication::translate("RecordView", "Result"));
    verdict = row("MethodVerdict", QCoreApplication::translate("RecordView", "Verdict"));
    source = row("MethodSource", QCoreApplication::translate("RecordView", "Limit"));
    conditions = row("MethodConditions", QCoreApplication::translate("RecordView", "Conditions"));
    figures = row("MethodFigures", QCoreApplication::translate("RecordView", "Material"));
    verdict->setStyleSheet(QStringLiteral("font-weight: bold"));
    form_ = form;
}

void MethodResultView::ShowRunning(const MethodRequest& r, const QString& phase)
{
    MethodResult empty;
    empty.request = r;
    title->setText(ResultTitle(empty));
    path->setText(phase);
    for (QLabel* l : {result, verdict, source, conditions, figures})
        l->clear();
    for (QLabel* l : {conditions, figures, source})
        form_->setRowVisible(l, false);
}

void MethodResultView::Show(const MethodResult& r)
{
    title->setText(ResultTitle(r));
    path->setText(PathText(r));
    result->setText(r.result ? QCoreApplication::translate("RecordView", "%1 at %2 V").arg(ReadingText(r.result->value)).arg(r.result->volts)
                             : QCoreApplication::translate("RecordView", "none"));
    verdict->setText(r.verdict.text);
    source->setText(r.verdict.source.isEmpty() ? QCoreApplication::translate("RecordView", "no limit applied") : r.verdict.source);
    QStringList air;
    if (r.result)
        air << ConditionsText(r.result->temperature, r.result->humidity);
    if (r.request.conditioningHours)
        air << ConditioningText(r.request.conditioningHours);
    if (!r.qualificationFlag.isEmpty())
        air << r.qualificationFlag;
    conditions->setText(air.join(QStringLiteral("; ")));
    QStringList material;
    if (r.resistivity)
        material << ResistivityText(*r.resistivity);
    if (!r.classification.isEmpty())
        material << QStringLiteral("%1 (%2)").arg(r.classification, r.classificationSource);
    figures->setText(material.join(QLatin1Char('\n')));
    // Nothing about a material for an item, and no empty rows.
    for (QLabel* l : {conditions, figures, source})
        form_->setRowVisible(l, !l->text().isEmpty());
}

}  // namespace krx
