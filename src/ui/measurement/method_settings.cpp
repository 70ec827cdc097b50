// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/method_settings.h"

#include "ui/controls.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace krx {

namespace {

QLineEdit* MillimetreField(const char* name, QWidget* parent)
{
    auto* f = new QLineEdit(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setPlaceholderText(QStringLiteral("mm"));
    f->setMaximumWidth(80);
    return f;
}

// Empty text is no value; anything else must be a positive number.
bool TakeMm(const QLineEdit* f, std::optional<double>& into)
{
    const QString t = f->text().trimmed();
    if (t.isEmpty())
        return true;
    bool ok = false;
    const double v = QLocale().toDouble(t, &ok);
    if (!ok || !(v > 0.0))
        return false;
    into = v;
    return true;
}

}  // namespace

MethodSettings::MethodSettings(QWidget* parent) : QGroupBox(QCoreApplication::translate("MeasurementWindow", "Method"), parent)
{
    setObjectName(QStringLiteral("MethodSettings"));
    limits_ = LoadLimitLibrary(UserLimitsDir());
    methodChoice = new QComboBox(this);
    methodChoice->setObjectName(QStringLiteral("MethodChoice"));
    for (const MethodInfo& m : Methods())
        methodChoice->addItem(QString::fromUtf8(m.title), QString::fromLatin1(m.name));
    measureChoice = new QComboBox(this);
    measureChoice->setObjectName(QStringLiteral("MeasureChoice"));
    measureChoice->addItem(QCoreApplication::translate("MeasurementWindow", "Rtg (to ground)"), QCoreApplication::translate("MeasurementWindow", "Rtg"));
    measureChoice->addItem(QCoreApplication::translate("MeasurementWindow", "Rtt (point to point)"), QCoreApplication::translate("MeasurementWindow", "Rtt"));
    kindChoice = new QComboBox(this);
    kindChoice->setObjectName(QStringLiteral("ItemKindChoice"));
    kindChoice->setEditable(true);
    kindChoice->addItems(ItemKindNames());
    limitsChoice = new QComboBox(this);
    limitsChoice->setObjectName(QStringLiteral("LimitSetChoice"));
    limitsChoice->addItem(QCoreApplication::translate("MeasurementWindow", "none"), QString());
    for (const QString& id : limits_.Ids())
        limitsChoice->addItem(id, id);
    d1Field = MillimetreField("D1Field", this);
    d2Field = MillimetreField("D2Field", this);
    gapField = MillimetreField("GapField", this);
    thicknessField = MillimetreField("ThicknessField", this);
    materialVolts = new QComboBox(this);
    materialVolts->setObjectName(QStringLiteral("MaterialVolts"));
    for (int v : {10, 100, 500, 1000})
        materialVolts->addItem(QStringLiteral("%1 V").arg(v), v);
    materialSeconds = new QSpinBox(this);
    materialSeconds->setObjectName(QStringLiteral("MaterialSeconds"));
    materialSeconds->setRange(1, 3600);
    materialSeconds->setValue(kMaterialDefaultSeconds);
    materialSeconds->setSuffix(QStringLiteral(" s"));
    qualification = new QCheckBox(QCoreApplication::translate("MeasurementWindow", "Qualification"), this);
    qualification->setObjectName(QStringLiteral("QualificationCheck"));
    conditioningField = new QLineEdit(this);
    conditioningField->setObjectName(QStringLiteral("ConditioningField"));
    conditioningField->setPlaceholderText(QCoreApplication::translate("MethodSettings", "hours"));
    conditioningField->setMaximumWidth(80);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(9, 2, 9, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    const auto put = [&](int row, int col, const QString& caption, QWidget* w) {
        auto* l = new QLabel(caption, this);
        l->setBuddy(w);
        grid->addWidget(l, row, col);
        grid->addWidget(w, row, col + 1);
    };
    put(0, 0, QCoreApplication::translate("MeasurementWindow", "Test"), methodChoice);
    put(0, 2, QCoreApplication::translate("MeasurementWindow", "Reading"), measureChoice);
    put(0, 4, QCoreApplication::translate("MeasurementWindow", "Item"), kindChoice);
    put(0, 6, QCoreApplication::translate("MeasurementWindow", "Limits"), limitsChoice);
    put(1, 0, QStringLiteral("D1"), d1Field);
    put(1, 2, QStringLiteral("D2"), d2Field);
    put(1, 4, QCoreApplication::translate("MeasurementWindow", "Gap"), gapField);
    put(1, 6, QCoreApplication::translate("MeasurementWindow", "Thickness"), thicknessField);
    put(2, 0, QCoreApplication::translate("MeasurementWindow", "Voltage"), materialVolts);
    put(2, 2, QCoreApplication::translate("MeasurementWindow", "Reading at"), materialSeconds);
    grid->addWidget(qualification, 2, 4, 1, 2);
    put(2, 6, QCoreApplication::translate("MethodSettings", "Conditioned"), conditioningField);
    setFont(ArialFont(14));
    connect(methodChoice, &QComboBox::currentIndexChanged, this, &MethodSettings::UpdateEnabled);
    UpdateEnabled();
}

bool MethodSettings::Chosen() const
{
    return methodChoice->currentIndex() > 0;
}

std::optional<MethodRequest> MethodSettings::Request(QString* problem) const
{
    MethodRequest r;
    r.method = Methods()[static_cast<size_t>(methodChoice->currentIndex())].method;
    r.measurement = r.method == Method::Esd ? *MeasurementFromName(measureChoice->currentData().toString())
                                            : DefaultMeasurement(r.method);
    if (r.method != Method::Esd) {
        for (const auto& [field, into] : {std::pair{d1Field, &r.geometry.d1Mm}, {d2Field, &r.geometry.d2Mm},
                                          {gapField, &r.geometry.gapMm}, {thicknessField, &r.geometry.thicknessMm}})
            if (!TakeMm(field, *into)) {
                *problem = QCoreApplication::translate("MeasurementWindow", "'%1' is not a size in mm").arg(field->text());
                return std::nullopt;
            }
    }
    if (r.method == Method::Material && r.geometry.thicknessMm)
        r.measurement = Measurement::Rv;
    r.itemKind = kindChoice->currentText().trimmed();
    r.limitSet = limitsChoice->currentData().toString();
    r.qualification = qualification->isChecked();
    // Filed with the test: a typo is said now rather than lost from the record.
    if (const QString h = conditioningField->text().trimmed(); !h.isEmpty()) {
        bool ok = false;
        const double hours = QLocale().toDouble(h, &ok);
        if (!ok || !(hours >= 0.0)) {
            *problem = QCoreApplication::translate("MethodSettings", "'%1' is not a conditioning time in hours").arg(h);
            return std::nullopt;
        }
        r.conditioningHours = hours;
    }
    r.materialVolts = materialVolts->currentData().toInt();
    r.materialSeconds = materialSeconds->value();
    if (const QString p = RequestProblem(r, limits_); !p.isEmpty()) {
        *problem = p;
        return std::nullopt;
    }
    return r;
}

void MethodSettings::Lock(bool locked)
{
    locked_ = locked;
    UpdateEnabled();
}

void MethodSettings::ShowProgress(const QString& text)
{
    setTitle(text.isEmpty() ? QCoreApplication::translate("MeasurementWindow", "Method") : QCoreApplication::translate("MeasurementWindow", "Method: ") + text);
}

void MethodSettings::UpdateEnabled()
{
    const Method m = Methods()[static_cast<size_t>(std::max(0, methodChoice->currentIndex()))].method;
    methodChoice->setEnabled(!locked_);
    const bool on = !locked_ && m != Method::Insulation;
    measureChoice->setEnabled(on && m == Method::Esd);
    kindChoice->setEnabled(on);
    limitsChoice->setEnabled(on);
    d1Field->setEnabled(on && m != Method::Esd);
    d2Field->setEnabled(on && (m == Method::Surface || m == Method::Material));
    gapField->setEnabled(on && (m == Method::Volume || m == Method::Material));
    thicknessField->setEnabled(on && (m == Method::Volume || m == Method::Material));
    materialVolts->setEnabled(on && m == Method::Material);
    materialSeconds->setEnabled(on && m == Method::Material);
    qualification->setEnabled(on);
    conditioningField->setEnabled(on);
}

}  // namespace krx
