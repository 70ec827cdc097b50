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

namespace krx {
class Dialogs;
}

namespace krx::history_view {

class FileTestDialog : public QDialog {
    Q_OBJECT
public:
    // Neither the store nor the dialogs are owned.
    FileTestDialog(history::HistoryStore& store, Dialogs& dialogs, history::TestRecord test,
                   QWidget* parent = nullptr);

    // Files the test as the fields say and tells the user how it went; closes the dialog when the
    // test was kept (filed, known already, or in the outbox). The File button does this.
    bool Submit();
    // The store's answer to the last Submit(), if any.
    const std::optional<history::FileResult>& Result() const { return result_; }

private:
    void BuildControls(const history::TestRecord& test);
    void AssetChosen(const QString& id);

    history::HistoryStore& store_;
    Dialogs& dialogs_;
    history::TestRecord test_;
    std::vector<history::Asset> known_;
    std::optional<history::FileResult> result_;
    QString filledFrom_;  // the asset whose details the fields show, if any

    QComboBox* assetId_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* location_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* class_ = nullptr;
    QLineEdit* operator_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QLabel* warning_ = nullptr;
};

// Shows the dialog until the test is kept or the user cancels; nullopt when cancelled.
std::optional<history::FileResult> FileTestInteractively(history::HistoryStore& store, Dialogs& dialogs,
                                                         const history::TestRecord& test, QWidget* parent);

// The asset and operator offered to the next filing of this session (empty at start).
struct LastFiling {
    history::Asset asset;
    QString operatorName;
};
const LastFiling& LastFiled();
void ForgetLastFiled();

}  // namespace krx::history_view
