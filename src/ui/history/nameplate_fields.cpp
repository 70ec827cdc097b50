// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/nameplate_fields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>

namespace krx::history_view {

NameplateFields::NameplateFields(QFormLayout* form, QObject* parent) : QObject(parent)
{
    kind = new QComboBox;
    kind->setObjectName(QStringLiteral("plateKind"));
    kind->addItem(NoNameplateText(), QString());
    for (AssetKind k : {AssetKind::Machine, AssetKind::Transformer, AssetKind::Cable, AssetKind::Other})
        kind->addItem(k == AssetKind::Machine ? QStringLiteral("rotating machine") : KindName(k), KindName(k));
    rated = new QLineEdit;
    rated->setObjectName(QStringLiteral("ratedVoltage"));
    rated->setPlaceholderText(QStringLiteral("V, line to line"));
    winding = new QComboBox;
    winding->setObjectName(QStringLiteral("windingType"));
    winding->addItem(QStringLiteral("not set"), QString());
    for (WindingType w : {WindingType::Form, WindingType::Random, WindingType::Older})
        winding->addItem(WindingDescription(w), WindingName(w));
    form->addRow(QStringLiteral("Nameplate:"), kind);
    form->addRow(QStringLiteral("Rated voltage:"), rated);
    form->addRow(QStringLiteral("Winding:"), winding);
    connect(kind, &QComboBox::currentIndexChanged, this, &NameplateFields::Edited);
    connect(winding, &QComboBox::currentIndexChanged, this, &NameplateFields::Edited);
    connect(rated, &QLineEdit::textChanged, this, &NameplateFields::Edited);
}

void NameplateFields::Show(const history::Asset& a)
{
    kind->setCurrentIndex(std::max(0, kind->findData(a.plateKind)));
    rated->setText(a.ratedVolts ? QLocale().toString(*a.ratedVolts, 'g', 7) : QString());
    winding->setCurrentIndex(std::max(0, winding->findData(a.windingType)));
}

bool NameplateFields::Apply(history::Asset& a) const
{
    a.plateKind = kind->currentData().toString();
    a.windingType = winding->currentData().toString();
    const QString text = rated->text().trimmed();
    a.ratedVolts.reset();
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double v = QLocale().toDouble(text, &ok);
    if (!ok || !(v > 0.0 && v <= 1e6))
        return false;
    a.ratedVolts = v;
    return true;
}

}  // namespace krx::history_view
