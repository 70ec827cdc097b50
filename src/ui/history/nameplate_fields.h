// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The asset's kind (from the one list of kinds) and nameplate in the filing dialog: kind, rated
// voltage and winding type (the class has its own box), read from and written to an asset. A kind
// set is the nameplate's kind; none set, the asset has no nameplate.

#include "history/history_store.h"

#include <QObject>

class QComboBox;
class QFormLayout;
class QLineEdit;

namespace krx::history_view {

class NameplateFields : public QObject {
    Q_OBJECT
public:
    // Adds the rows to `form`.
    NameplateFields(QFormLayout* form, QObject* parent);
    // Shows the asset's kind and nameplate fields (its class is not touched).
    void Show(const history::Asset& asset);
    // Writes the fields into the asset's kind and nameplate; false when the rated voltage is not a
    // voltage.
    bool Apply(history::Asset& asset) const;

    QComboBox* kind = nullptr;
    QLineEdit* rated = nullptr;
    QComboBox* winding = nullptr;

signals:
    void Edited();
};

}  // namespace krx::history_view
