// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/nameplate_fields.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>

namespace krx::history_view {

namespace {
constexpr int kOldTextRole = Qt::UserRole + 1;
}

NameplateFields::NameplateFields(QFormLayout* form, QObject* parent) : QObject(parent)
{
    kind = new QComboBox;
    kind->setObjectName(QStringLiteral("plateKind"));
    kind->addItem(QCoreApplication::translate("HistoryWindow", "not set: no nameplate"), QString());
    for (AssetKind k : AssetKinds())
        // The names the figures panel shows, in the window's language.
        kind->addItem(QCoreApplication::translate("FiguresPanel", KindLabel(k).toUtf8().constData()), KindName(k));
    rated = new QLineEdit;
    rated->setObjectName(QStringLiteral("ratedVoltage"));
    rated->setPlaceholderText(QCoreApplication::translate("HistoryWindow", "V, line to line"));
    winding = new QComboBox;
    winding->setObjectName(QStringLiteral("windingType"));
    winding->addItem(QCoreApplication::translate("HistoryWindow", "not set"), QString());
    for (WindingType w : {WindingType::Form, WindingType::Random, WindingType::Older})
        winding->addItem(WindingDescription(w), WindingName(w));
    form->addRow(QCoreApplication::translate("HistoryWindow", "Kind:"), kind);
    form->addRow(QCoreApplication::translate("HistoryWindow", "Rated voltage:"), rated);
    form->addRow(QCoreApplication::translate("HistoryWindow", "Winding:"), winding);
    connect(kind, &QComboBox::currentIndexChanged, this, &NameplateFields::Edited);
    connect(winding, &QComboBox::currentIndexChanged, this, &NameplateFields::Edited);
    connect(rated, &QLineEdit::textChanged, this, &NameplateFields::Edited);
}

void NameplateFields::Show(const history::Asset& a)
{
    // A kind typed freely before there was one list stays as it was, unless a word of the list.
    if (const int old = kind->findData(true, kOldTextRole); old >= 0)
        kind->removeItem(old);
    const auto known = history::KindOf(a);
    int index = known ? kind->findData(KindName(*known)) : 0;
    if (!known && !a.kind.trimmed().isEmpty()) {
        kind->addItem(a.kind, a.kind);
        index = kind->count() - 1;
        kind->setItemData(index, true, kOldTextRole);
    }
    kind->setCurrentIndex(std::max(0, index));
    rated->setText(a.ratedVolts ? QLocale().toString(*a.ratedVolts, 'g', 7) : QString());
    winding->setCurrentIndex(std::max(0, winding->findData(a.windingType)));
}

bool NameplateFields::Apply(history::Asset& a) const
{
    // A kind of the list is the nameplate's too; an old free text is no nameplate.
    const bool oldText = kind->currentData(kOldTextRole).toBool();
    a.kind = kind->currentData().toString();
    a.plateKind = oldText ? QString() : a.kind;
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
