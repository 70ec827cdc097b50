// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The break-down test's events as the special-functions window shows them, each carried to the
// window's thread (src/ui/special_functions/breakdown.cpp).

#include "core/breakdown_test.h"

class SpecialFunctionsWindow;

class BreakDownView : public krx::BreakDownListener {
public:
    explicit BreakDownView(SpecialFunctionsWindow& w) : w_(w) {}
    void MemoCleared() override;
    void MemoLines(const QStringList& lines) override;
    void ProgressMaximum(int maximum) override;
    void ProgressValue(int value) override;
    void Label(const QString& text, bool show) override;
    void Shown(krx::BreakDownPart part, bool shown) override;
    void Enabled(krx::BreakDownPart part, bool enabled) override;
    void Caption(krx::BreakDownPart part, const QString& text) override;
    void TimerFields(int breakDownSeconds, int breakOffSeconds) override;
    void Save(const krx::BreakDownSave& values) override;

private:
    SpecialFunctionsWindow& w_;
};
