// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the measurement window shows of a cycle beside its controls: the live plot, the insulation
// figures, and the two ways out, "Report…" (a PDF a customer can receive) and "Export recording…" (a copy of the
// recording file). The window feeds it readings; it asks for files through the dialogs seam.

#include "core/data_dialect.h"
#include "core/judging/insulation.h"
#include "core/recording_reader.h"
#include "core/judging/method_result.h"

#include <QTimer>
#include <QWidget>

#include <vector>

class QBoxLayout;
class QVBoxLayout;
class QPushButton;

namespace krx {

class FiguresPanel;
class MethodResultView;
class ReadingPlot;
class StepPanel;
struct StepTable;

class MeasurementRecordView : public QWidget {
    Q_OBJECT
public:
    // How long the figures may lag behind the readings.
    static constexpr int kFiguresMs = 250;
    // Narrower than this, the figures stand under the plot rather than beside it.
    static constexpr int kSideBySideWidth = 760;

    explicit MeasurementRecordView(QWidget* parent = nullptr);

    // At Start: the plot, the figures and the recording file are forgotten.
    void Clear();
    void Add(const DataRecord& record);
    void SetMeter(const QString& meterType, const QString& serial, const QString& swVersion);
    // The current cycle's recording; empty when none is being written.
    void SetRecordingFile(const QString& path);
    // The comment the report offers (the person may change it there).
    void SetComment(const QString& comment);
    // The readings come from the simulated meter: the report says so in large letters. A recording
    // opened from a file carries its own mark instead.
    void SetSimulated(bool simulated) { simulated_ = simulated; }
    // The readings shown come from a recording file marked as the simulated meter's.
    bool ShowsSimulatedRecording() const { return fromFile_ && AnySimulated(readings_); }
    // What the report names as the test object once the test was filed or an asset chosen; all
    // empty (as at Clear) leaves lines to write on.
    struct TestObject {
        QString asset, nameplate, location, operatorName;
    };
    void SetTestObject(const TestObject& object) { object_ = object; }
    QString Comment() const { return comment_; }

    // Asks for a comment and a file, writes the report; false when cancelled or failed (said).
    bool Report();
    // Asks for a file and copies the recording there; false when cancelled or failed (said).
    bool ExportRecording();
    // The report without asking anything (tools and tests).
    bool WriteReportTo(const QString& fileName, QString* error);
    // Shows a recording file's readings and figures in place of the cycle's, to judge an old test
    // again; false with `error` ("line 7: …") when the file is not a whole recording, and then
    // nothing shown changes.
    bool LoadRecording(const QString& fileName, QString* error);
    // Brings the figures up to date now rather than at the next tick.
    void RefreshFigures();

    // A step-voltage test: its table in place of the figures (until Clear), in the report too.
    void ShowSteps(const StepTable& table);
    // An ESD or material test: its result in place of the figures (until Clear).
    void ShowMethodResult(const MethodResult& result);
    // The step that the latest reading closed: a marker on the plot, a key reading in the report.
    void MarkStepEnd(int volts);

    ReadingPlot* plot = nullptr;
    FiguresPanel* figures = nullptr;
    StepPanel* steps = nullptr;  // hidden but in a step-voltage test
    MethodResultView* method = nullptr;  // hidden but in an ESD or material test
    QPushButton* reportButton = nullptr;
    QPushButton* exportButton = nullptr;

    // As narrow as the plot with the figures folded under it: a laptop's screen holds it beside the controls.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Beside or under the plot, and how tall the figures are under it, for a view of `size`.
    void Arrange(QSize size);
    void UpdateButtons();
    QString SuggestedName(const QString& suffix) const;

    std::vector<DataRecord> readings_;
    std::vector<std::pair<int, DataRecord>> stepEnds_;
    std::optional<MethodResult> lastMethod_;  // the result the method view shows  // volts, the reading that closed the step
    QString meterType_, serial_, swVersion_;
    QString recordingFile_;
    QString comment_;
    bool simulated_ = false;
    bool fromFile_ = false;  // the readings were opened from a recording
    TestObject object_;
    QString folder_;  // where the last report or export went
    QTimer figuresTick_;
    QBoxLayout* box_ = nullptr;
    QVBoxLayout* side_ = nullptr;
    QWidget* figuresScroll_ = nullptr;
    QBoxLayout* buttons_ = nullptr;
};

}  // namespace krx
