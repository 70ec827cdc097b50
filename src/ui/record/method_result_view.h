// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An ESD or material test's result as the measurement window shows it in place of the insulation
// figures: the method, the path of readings, the reading that stands, the verdict with its source,
// the conditions, and the resistivity and class where they apply. Nothing about windings.

#include "core/judging/method_result.h"

#include <QFrame>

class QFormLayout;
class QLabel;

namespace krx {

class MethodResultView : public QFrame {
public:
    explicit MethodResultView(QWidget* parent = nullptr);
    void Show(const MethodResult& r);
    // While the test runs: which phase, before any result.
    void ShowRunning(const MethodRequest& r, const QString& phase);

    QLabel* title = nullptr;
    QLabel* path = nullptr;
    QLabel* result = nullptr;
    QLabel* verdict = nullptr;
    QLabel* source = nullptr;
    QLabel* conditions = nullptr;
    QLabel* figures = nullptr;  // resistivity and class

private:
    QFormLayout* form_ = nullptr;
};

}  // namespace krx
