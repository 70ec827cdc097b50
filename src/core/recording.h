// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every reading of a cycle kept: in a ReadingSeries for the faces, and in a recording file of
// the data dialect, one file per cycle, each line handed to the system as it is taken so that a
// crash, a kill or a pulled meter loses nothing that was read. A recording that cannot be made
// or that stops (a folder that cannot be written, a full disk) says so once, and the cycle goes
// on: the live view and Save do not depend on it.

#include "core/data_dialect.h"
#include "core/judging/insulation.h"
#include "core/measurement_cycle.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace krx {

// The record of a pass of the reading loop; `elapsedSeconds` counts from the command that put the
// test voltage on (the measuring-mode command, or the timer's start in timer mode). The rest time is not known at the pass and stays empty.
DataRecord RecordFromPass(const CycleIteration& pass, double elapsedSeconds);

// "KRX738_<serial>_<yyyyMMdd-HHmmss>.csv"; characters of the serial that do not belong in a file
// name become "_".
QString RecordingFileName(const QString& serial, const QDateTime& started);

// One recording file.
class Recording {
public:
    // Makes the folder when missing and creates the file there. A second cycle in the same second
    // gets "-2", "-3", … before ".csv" rather than overwriting the first. False with Message()
    // set when no file could be made.
    // `withStep`: the header names the step-voltage test's tenth column; `simulated`: the last
    // column marks every line as the simulated meter's.
    bool Open(const QString& folder, const QString& serial, const QDateTime& started, bool withStep = false,
              bool simulated = false);
    // Closes the file (every line is already with the system) and forgets the failure.
    void Close();
    // Appends one reading; false once the recording has stopped (Message() says why and how many
    // readings were kept; a line that did not fit is cut off, so the file ends with a whole line).
    bool Append(const DataRecord& record);
    bool IsOpen() const { return open_; }
    bool Failed() const { return !message_.isEmpty(); }
    QString FileName() const { return fileName_; }
    qint64 Readings() const;  // reading lines in the file, header not counted
    QString Message() const { return message_; }

private:
    LineWriter writer_;
    QString fileName_;
    QString message_;
    bool open_ = false;
};

// Copies a recording to where the user wants it: to a temporary file beside the target, synced,
// then renamed over it, so that a failed copy never leaves a half file under the chosen name.
// False with `error` set (an existing target is then left as it was).
bool CopyRecording(const QString& from, const QString& to, QString* error);

// What the faces get besides the cycle's events; on the thread that runs the cycle.
class RecordListener {
public:
    virtual ~RecordListener() = default;
    // A reading, complete (with its rest time in timer mode), already in the series and the file.
    virtual void Recorded(const DataRecord& record, const CycleIteration& pass) = 0;
    // The recording could not be made or has stopped; once per cycle.
    virtual void RecordingProblem(const QString& message) = 0;
};

struct RecordingPlan {
    bool enabled = true;
    QString folder;
    QString serial;
    QDateTime started;  // names the file; the current time when invalid
    bool timerMode = false;
    bool steps = false;  // a step-voltage test: every line carries its step
};

// Sits between the measurement cycle and a face's listener: every fresh reading goes into the
// series and the recording, and every event on to `next`. Used inline on the thread that runs the
// cycle; the series may be read from any thread.
class CycleRecorder : public CycleListener {
public:
    CycleRecorder(CycleListener& next, ReadingSeries& series, RecordListener* records = nullptr)
        : next_(next), series_(series), records_(records)
    {
    }

    // Before each cycle's Run: clears the series; the file is made at the first reading, so that
    // a cycle without one leaves no empty file behind. The simulated meter's readings are marked.
    void Begin(const RecordingPlan& plan);
    // The cycle whose Break decides whether a rest time read afterwards still belongs to the
    // reading (after Break the stops may already have zeroed it).
    void Watch(const MeasurementCycle* cycle) { cycle_ = cycle; }
    // After Run: a reading still waiting for its rest time is kept without it.
    void Finish();

    const Recording& File() const { return recording_; }

    void VoltageApplied() override;
    void TimerStarted(int seconds) override;
    void WaitHint(bool shown) override { next_.WaitHint(shown); }
    void MeasuringStarted() override { next_.MeasuringStarted(); }
    void PassStarted(int counter) override { next_.PassStarted(counter); }
    void Iteration(const CycleIteration& pass) override;
    void RestTime(int seconds) override;
    void TimerFinished() override { next_.TimerFinished(); }

private:
    void Keep();

    CycleListener& next_;
    ReadingSeries& series_;
    RecordListener* records_;
    const MeasurementCycle* cycle_ = nullptr;
    RecordingPlan plan_;
    Recording recording_;
    bool problemSaid_ = false;
    bool simulated_ = false;
    double t0_ = 0.0;
    std::optional<DataRecord> pending_;
    CycleIteration pendingPass_;
};

}  // namespace krx
