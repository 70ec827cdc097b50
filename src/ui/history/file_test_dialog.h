// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Filing a finished test under an asset: a measurement, a break-down test or a record read out
// of the meter's memory. The asset is picked from those filed before or typed as a new one; the
// last asset and operator of this session are offered again, as a run of tests on one machine is
// the usual case.

#include "history/history_store.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace krx::history_view {
class NameplateFields;
}
namespace krx {
class Dialogs;
}

namespace krx::history_view {

class FileTestDialog : public QDialog {
    Q_OBJECT
public:
    // Neither the store nor the dialogs are owned. Several tests (the records of a memory
    // read-out) go under the one asset together.
    FileTestDialog(history::HistoryStore& store, Dialogs& dialogs, std::vector<history::TestRecord> tests,
                   QWidget* parent = nullptr);
    FileTestDialog(history::HistoryStore& store, Dialogs& dialogs, history::TestRecord test,
                   QWidget* parent = nullptr);

    // Files the tests as the fields say and tells the user how it went; closes the dialog when
    // every test was kept (filed, known already, or in the outbox), else keeps the ones not kept
    // for another try. The File button does this.
    bool Submit();
    // The store's answers, one per test kept or failed so far.
    const std::vector<history::FileResult>& Results() const { return results_; }

private:
    void BuildControls();
    QLayout* BuildForm();
    void AssetChosen(const QString& id);
    // The nameplate and class a measurement was judged with, in the fields.
    void ShowJudgedNameplate();
    QString SaveAssetDetails(const history::Asset& asset);
    // The asset as the fields give it; false (said to the user) when a field is not valid.
    bool AssetFromFields(history::Asset& asset);
    // The verdicts of the measurement tests again, with the nameplate the fields give.
    void Rejudge();
    void Report(const QString& assetId, const QString& assetNote, const std::vector<history::FileResult>& now);

    history::HistoryStore& store_;
    Dialogs& dialogs_;
    std::vector<history::TestRecord> tests_;  // those still to be filed
    std::vector<history::Asset> known_;
    std::vector<history::FileResult> results_;
    QString filledFrom_;  // the asset whose details the fields show, if any

    QComboBox* assetId_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* location_ = nullptr;
    QComboBox* class_ = nullptr;
    NameplateFields* plate_ = nullptr;
    QLabel* verdicts_ = nullptr;  // the measurement's verdicts by the nameplate shown
    QLineEdit* operator_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QLabel* warning_ = nullptr;
};

// Shows the dialog until the tests are kept or the user cancels; nullopt when cancelled.
std::optional<std::vector<history::FileResult>> FileTestsInteractively(history::HistoryStore& store,
                                                                       Dialogs& dialogs,
                                                                       std::vector<history::TestRecord> tests,
                                                                       QWidget* parent);

// The asset and operator offered to the next filing of this session (empty at start).
struct LastFiling {
    history::Asset asset;
    QString operatorName;
};
const LastFiling& LastFiled();
void ForgetLastFiled();

}  // namespace krx::history_view
