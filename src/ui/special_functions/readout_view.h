// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The memory read-out's events as the special-functions window shows them.

#include "device/clock.h"
#include "core/dialogs.h"
#include "ui/window_thread.h"
#include "ui/special_functions/special_functions_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

// The read-out's listing grows in the display while the meter is read. A paint of the window costs
// about a millisecond, so with a quick meter the listing is painted at most every PaintInterval
// seconds of the counter, and always for the first record and the last line.
class SpecialFunctionsWindow::ReadOutView : public krx::ReadOutListener {
public:
    static constexpr double PaintInterval = 0.025;

    explicit ReadOutView(SpecialFunctionsWindow& f) : form_(f) {}
    void Start() { anyPainted_ = false; }
    void Listing(const QStringList& lines, bool last) override
    {
        krx::OnWindowThread(&form_, [this, lines, last] {
            form_.recordDisplay->appendPlainText(lines.join(QLatin1Char('\n')));
            // On the window's own thread nothing else would paint while the meter is read.
            if (form_.runner_.RunMode() != krx::ProcedureRunner::Mode::Inline)
                return;
            const double now = krx::CounterSeconds();
            if (last || !anyPainted_ || now < 0.0 || now - painted_ >= PaintInterval) {
                form_.recordDisplay->viewport()->repaint();
                if (form_.listingPainted)
                    form_.listingPainted();
                painted_ = krx::CounterSeconds();
                anyPainted_ = true;
            }
        });
    }
    void RangeWanted(int highest) override
    {
        krx::OnWindowThread(&form_, [this, highest] {
            form_.rangeGroup->show();
            form_.rangeFromField->setText(QStringLiteral("1"));
            form_.rangeToField->setText(QString::number(highest));
        });
    }
    void RangeRefused() override
    {
        krx::OnWindowThread(&form_, [this] { form_.RangeSaveRequested = false; });
    }

private:
    SpecialFunctionsWindow& form_;
    bool anyPainted_ = false;
    double painted_ = 0.0;  // counter seconds of the last paint
};
