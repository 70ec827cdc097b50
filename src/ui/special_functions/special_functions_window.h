// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The special-functions window: memory read-outs and exports, memory deletion and the break-down
// test. This file holds the window itself; each procedure lives in a file of its own.

#include "ui/special_functions/breakdown_view.h"
#include "ui/save_dialog.h"
#include "core/memory_readout.h"
#include "core/breakdown_test.h"
#include "core/meter_session.h"
#include "device/commands.h"
#include "core/memory_format.h"
#include "history/history_store.h"

#include <QDateTime>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QVBoxLayout;
class QPushButton;

class SpecialFunctionsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SpecialFunctionsWindow(krx::MeterSession& session);
    ~SpecialFunctionsWindow() override;

    QGroupBox* functionGroup;
    QPushButton* readOhmMemoryButton;
    QPushButton* readBreakDownMemoryButton;
    QPushButton* breakDownButton;
    QPushButton* mainMenuButton;
    QPushButton* eraseOhmMemoryButton;
    QPushButton* eraseBreakDownMemoryButton;
    QPlainTextEdit* recordDisplay;
    // Called at each paint point of a read-out run inline, once the listing is painted.
    std::function<void()> listingPainted;
    krx::SaveDialog exportSaveDialog;
    QGroupBox* rangeGroup;
    QLabel* rangeFromLabel;
    QLineEdit* rangeFromField;
    QLabel* rangeToLabel;
    QLineEdit* rangeToField;
    QPushButton* rangeSaveButton;
    QGroupBox* timersGroup;
    QLabel* breakDownTimerLabel;
    QLineEdit* breakDownTimerField;
    QLabel* breakOffTimerLabel;
    QLineEdit* breakOffTimerField;
    QLabel* setupVoltageLabel;  // the meter's voltage setting, beside the timers during the set-up
    QPushButton* startButton;
    QPushButton* stopButton;
    QPushButton* saveButton;
    QLabel* progressLabel;
    QProgressBar* progressBar;
    QPushButton* fileRecordsButton;  // "File records…": the last read-out's records into the test history
    QPushButton* fileTestButton;     // "File test…": the last break-down result into the test history

    krx::MeterCommands Usb;  // the special-functions window's command set

private:
    krx::MeterSession& session_;
    krx::ProcedureRunner& runner_;  // the window's procedures run here, one at a time with the others'

public:
    // Shows the window as the main window's Special function leaves it.
    void Enter();

    bool RangeSaveRequested = false;  // "Save" of the range group pressed; awaited by the read-outs

    void MainMenuClicked();
    void FormClose();
    void RangeSaveClicked();

    // ---- Memory read-outs, exports and deletion (src/ui/special_functions/readout.cpp) ----

    // Export header lines, each with its closing CR LF.
    QString OhmHeader = krx::memory::OhmHeader();
    QString BreakDownHeader = krx::memory::BreakDownHeader();

    // What a read-out returns; the click handlers show a box for Saved and NoRecords only.
    enum ReadOutResult {
        ReadOutSaved = 0,
        ReadOutCommentCancelled = -2,
        ReadOutWriteFailed = -3,      // the file could not be created, opened or fully written
        ReadOutFileCancelled = -4,
        ReadOutNoRecords = -5,        // nothing the export could hold came from the meter
        ReadOutLeft = -6,             // the window was left while the read-out waited for the range
        ReadOutInterrupted = -7,      // the meter stopped answering before its first record
    };

    void ReadOhmMemoryClicked();
    void ReadBreakDownMemoryClicked();
    // A read-out up to its export; returns the outcome once it has ended (with a runner that runs
    // inline, as the tests' one does).
    int ReadOutOhmMemory();
    int ReadOutBreakDownMemory();
    void EraseOhmMemoryClicked();
    void EraseBreakDownMemoryClicked();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    class ReadOutView;
    friend class ReadOutView;
    void StartReadOut(krx::MemoryKind kind, bool fromButton = true);
    int FinishReadOut(krx::MemoryKind kind, const krx::ReadOutReport& report);
    int ExportRange(krx::MemoryKind kind, const krx::ReadOutReport& report, const QString& comment,
                    const QString& fileName);
    QString retryComment_;  // the comment of a save that failed, offered again
    void DeleteMemory(const QString& query, krx::MemoryKind kind, const QString& done);

    std::unique_ptr<ReadOutView> readOutView_;
    krx::MemoryReadOut readOut_;
    int lastReadOut_ = ReadOutNoRecords;

public:
    // ---- end of memory read-outs ----

    // ---- Break-down and break-off test (src/ui/special_functions/breakdown.cpp) ----

    // Starts the test; the window shows it until it has cleaned up.
    void BreakDownClicked();
    void StartClicked();
    void StopClicked();
    void SaveClicked();
    void ShowTimerFields(bool visible);
    // Asks for a comment and a file and appends the result line (src/ui/special_functions/breakdown_export.cpp).
    // Resistances in whole MOhm. 0 saved; -1 header, -2 line written short; see the file for the rest.
    int SaveBreakDownResult(float temperature, int humidity, int breakDownTimer, int voltage,
                            std::uint32_t resistanceBefore, std::uint32_t resistanceAfterBD,
                            std::uint32_t resistanceAfterBO, int breakOffTime);
    // True from the press of "Break-Down resistance" until the test has cleaned up.
    bool BreakDownTestRunning() const { return breakDownRunning_; }
    static constexpr const char* kTitle = QT_TRANSLATE_NOOP("SpecialFunctionsWindow", "Special function");
    // Title and progress line while a close waits for the meter to be safe.
    static constexpr const char* kStoppingTitle = "Stopping the break-down test – the window closes when the meter is safe";
    const krx::BreakDownTest& BreakDown() const { return breakDown_; }

private:
    friend class BreakDownView;
    // A close while the test runs acts as Stop; the window goes once the test has cleaned up.
    bool LeaveBreakDownTest();
    void BreakDownEnded(const krx::BreakDownResult& result);
    void LockButtonsForBreakDown(bool lock);
    BreakDownView breakDownView_{*this};
    krx::BreakDownTest breakDown_{Usb, runner_, breakDownView_};
    bool breakDownRunning_ = false;
    std::vector<std::pair<QPushButton*, bool>> lockedForBreakDown_;

public:
    // ---- end of break-down test ----

    // ---- Filing into the test history (src/ui/special_functions/filing.cpp) ----

    // The store the filing buttons file into, not owned; nullptr: no history, the buttons stay hidden.
    void SetHistory(krx::history::HistoryStore* store);
    krx::history::HistoryStore* History() const { return history_; }
    void FileRecordsClicked();
    void FileTestClicked();

private:
    QWidget* BuildFilingRow();
    // What the buttons would file now; each button shows only with a store and something to file.
    void OfferRecords(std::vector<krx::history::TestRecord> tests);
    void OfferBreakDownResult(const krx::BreakDownSave* values);
    void ShowFilingButtons();
    void FileInteractively(std::vector<krx::history::TestRecord> tests);

    krx::history::HistoryStore* history_ = nullptr;
    std::vector<krx::history::TestRecord> recordsToFile_;
    std::optional<krx::history::TestRecord> breakDownToFile_;
    QDateTime breakDownStarted_;  // the first Start of the running break-down test
    QString breakDownComment_;    // the comment of the result's last Save

public:
    // ---- end of filing ----

signals:
    // Back to the main menu, by its button or by closing.
    void MainWanted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildFunctionGroup();
    QGroupBox* BuildRangeGroup();
    QGroupBox* BuildTimersGroup();
    QVBoxLayout* BuildDisplay();
    void ConnectControls();
};
