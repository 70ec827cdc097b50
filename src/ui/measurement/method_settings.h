// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement window's choice of a test method before Start: insulation (today's cycle), an
// ESD-control item, a material's surface or volume resistance, or a material at a chosen voltage;
// with the measurement, the item kind, the limit set, the electrodes and the qualification flag.

#include "core/judging/method_result.h"

#include <QGroupBox>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace krx {

class MethodSettings : public QGroupBox {
public:
    explicit MethodSettings(QWidget* parent = nullptr);

    // Start runs a method other than insulation.
    bool Chosen() const;
    // The request as chosen; empty with `problem` set (a person's words) when it cannot run.
    std::optional<MethodRequest> Request(QString* problem) const;
    void Lock(bool locked);
    void ShowProgress(const QString& text);
    const LimitLibrary& Limits() const { return limits_; }

    QComboBox* methodChoice = nullptr;
    QComboBox* measureChoice = nullptr;  // Rtg, Rtt (esd)
    QComboBox* kindChoice = nullptr;     // editable: a kind of a set of one's own
    QComboBox* limitsChoice = nullptr;   // "none" first
    QLineEdit* d1Field = nullptr;
    QLineEdit* d2Field = nullptr;
    QLineEdit* gapField = nullptr;
    QLineEdit* thicknessField = nullptr;
    QComboBox* materialVolts = nullptr;
    QSpinBox* materialSeconds = nullptr;
    QCheckBox* qualification = nullptr;
    QLineEdit* conditioningField = nullptr;  // hours; empty: not given

private:
    void UpdateEnabled();
    LimitLibrary limits_;
    bool locked_ = false;
};

}  // namespace krx
