// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of krx738-cli, each with its arguments checked before anything is sent to the
// meter. Each returns the process' exit status.

#include "cli/console.h"
#include "cli/history_commands.h"
#include "core/insulation.h"
#include "core/memory_readout.h"

#include <QString>

#include <optional>

namespace krx::cli {

// The measuring voltage as the user names it: 10, 100, 500, 1000 or "auto".
struct VoltageChoice {
    bool automatic = false;
    int volts = 0;  // 0 with automatic: the meter's own voltage stays
};

struct Output {
    OutputFormat format = OutputFormat::Csv;
    QString file;  // empty: standard output
};

struct MeasureArgs {
    std::optional<VoltageChoice> voltage;
    std::optional<int> timerSeconds;    // timer mode, 1 to 600
    std::optional<int> calculation;     // 0 average, 1 lapse (timer mode)
    int intervalMs = 1000;
    std::optional<double> durationSeconds;
    std::optional<long long> count;
    Output output;
    // --test: end when the figure's last time is reached (unless --duration, --count or the timer
    // end it) and print the figures after the records.
    enum class Test { None, Dar, Pi } test = Test::None;
    InsulationClass insulationClass = InsulationClass::F;
    DarTimes darTimes = DarTimes::From30To60;
    // --asset: the finished measurement is filed in the test history.
    std::optional<FilingArgs> filing;
};

struct MemoryArgs {
    MemoryKind kind = MemoryKind::Ohm;
    std::optional<std::pair<int, int>> range;
    Output output;
};

struct SetupArgs {
    std::optional<VoltageChoice> voltage;
    std::optional<bool> automatic;
    std::optional<int> display;      // 0 technical, 1 exponent
    std::optional<int> calculation;  // 0 average, 1 lapse
    std::optional<int> timer;
    std::optional<int> breakDownTimer;
    std::optional<int> breakOffTimer;
    bool Empty() const
    {
        return !voltage && !automatic && !display && !calculation && !timer && !breakDownTimer && !breakOffTimer;
    }
};

int ListCommand();
int InfoCommand();
int MeasureCommand(const MeasureArgs& args);
int MemoryReadCommand(const MemoryArgs& args);
int MemoryEraseCommand(MemoryKind kind);
int SetupCommand(const SetupArgs& args);

// With --simulate no other process shares the meter, so no lock is taken.
void SetSimulated(bool simulated);

}  // namespace krx::cli
