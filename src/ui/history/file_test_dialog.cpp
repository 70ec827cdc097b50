// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/file_test_dialog.h"

#include "common/dialogs.h"
#include "ui/history/history_rows.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace krx::history_view {

using history::FileResult;

namespace {

LastFiling g_last;

const QString kTitle = QStringLiteral("File test");

// What is being filed, in one line, so that the user sees which test the dialog is about.
QString TestLine(const history::TestRecord& test)
{
    const QStringList row = RowTexts(test, {});
    QStringList parts;
    for (int col : {ColKind, ColDate, ColVoltage, ColDuration, ColR60})
        if (!row[col].isEmpty())
            parts << row[col];
    if (!row[ColPi].isEmpty())
        parts << QStringLiteral("PI ") + row[ColPi];
    return parts.join(QStringLiteral(", "));
}

QLineEdit* Edit(const QString& name, const QString& text)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

const LastFiling& LastFiled()
{
    return g_last;
}

void ForgetLastFiled()
{
    g_last = {};
}

FileTestDialog::FileTestDialog(history::HistoryStore& store, Dialogs& dialogs, history::TestRecord test,
                               QWidget* parent)
    : QDialog(parent), store_(store), dialogs_(dialogs), test_(std::move(test))
{
    setObjectName(QStringLiteral("FileTestDialog"));
    setWindowTitle(kTitle);
    if (store_.IsOpen()) {
        for (auto& summary : store_.Assets())
            known_.push_back(std::move(summary.asset));
    }
    BuildControls(test_);
}

void FileTestDialog::BuildControls(const history::TestRecord& test)
{
    auto* what = new QLabel(TestLine(test));
    what->setObjectName(QStringLiteral("testSummary"));
    what->setTextFormat(Qt::PlainText);
    warning_ = new QLabel;
    warning_->setObjectName(QStringLiteral("databaseWarning"));
    warning_->setWordWrap(true);
    warning_->setTextFormat(Qt::PlainText);
    warning_->setStyleSheet(QStringLiteral("color: #c62828"));
    warning_->setVisible(!store_.IsOpen());
    if (!store_.IsOpen()) {
        warning_->setText(QStringLiteral("The history database cannot be opened: %1 The test will be kept on this "
                                         "computer and sent when the database can be opened.")
                              .arg(Sentence(store_.Error())));
    }

    assetId_ = new QComboBox;
    assetId_->setObjectName(QStringLiteral("assetId"));
    assetId_->setEditable(true);
    assetId_->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& a : known_)
        assetId_->addItem(a.id);
    // Ids are compared exactly: the completion must not turn "m-1" into "M-1".
    assetId_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    assetId_->setMinimumWidth(260);
    name_ = Edit(QStringLiteral("assetName"), {});
    location_ = Edit(QStringLiteral("assetLocation"), {});
    kind_ = new QComboBox;
    kind_->setObjectName(QStringLiteral("assetKind"));
    kind_->setEditable(true);
    kind_->addItems({QString(), QStringLiteral("motor"), QStringLiteral("generator"), QStringLiteral("cable"),
                     QStringLiteral("transformer"), QStringLiteral("switchgear")});
    class_ = new QComboBox;
    class_->setObjectName(QStringLiteral("insulationClass"));
    class_->addItems({QString(), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("F"), QStringLiteral("H")});
    class_->setToolTip(QStringLiteral("For the PI verdict: IEEE 43-2013 asks 1.5 for class A, 2.0 for B, F and H"));
    operator_ = Edit(QStringLiteral("operatorName"), test.operatorName.isEmpty() ? g_last.operatorName
                                                                                 : test.operatorName);
    comment_ = Edit(QStringLiteral("comment"), test.comment);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Asset id:"), assetId_);
    form->addRow(QStringLiteral("Name:"), name_);
    form->addRow(QStringLiteral("Location:"), location_);
    form->addRow(QStringLiteral("Kind:"), kind_);
    form->addRow(QStringLiteral("Insulation class:"), class_);
    form->addRow(QStringLiteral("Operator:"), operator_);
    form->addRow(QStringLiteral("Comment:"), comment_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* file = buttons->addButton(QStringLiteral("File"), QDialogButtonBox::AcceptRole);
    file->setObjectName(QStringLiteral("fileButton"));
    file->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FileTestDialog::Submit);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(what);
    layout->addWidget(warning_);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(assetId_, &QComboBox::currentTextChanged, this, &FileTestDialog::AssetChosen);
    const QString offered = test.assetId.isEmpty() ? g_last.asset.id : test.assetId;
    assetId_->setEditText(offered);
    AssetChosen(offered);
}

// An asset filed before brings its details along; typing on from there to a new id takes them
// away again, while details typed for a new asset stay.
void FileTestDialog::AssetChosen(const QString& id)
{
    std::optional<history::Asset> found;
    for (const auto& a : known_) {
        if (a.id == id)
            found = a;
    }
    if (!found && !id.isEmpty() && id == g_last.asset.id)
        found = g_last.asset;
    if (!found && filledFrom_.isEmpty())
        return;
    const history::Asset shown = found.value_or(history::Asset{});
    filledFrom_ = found ? id : QString();
    name_->setText(shown.name);
    location_->setText(shown.location);
    kind_->setCurrentText(shown.kind);
    class_->setCurrentIndex(std::max(0, class_->findText(shown.insulationClass)));
}

bool FileTestDialog::Submit()
{
    const QString id = assetId_->currentText();
    if (id.trimmed().isEmpty()) {
        dialogs_.Message(QStringLiteral("Type the id of the asset the test belongs to."), kTitle, Buttons::Ok,
                         Icon::Warning);
        return false;
    }
    const history::Asset asset{id, name_->text(), location_->text(), kind_->currentText(), class_->currentText()};
    QString assetNote;
    const bool details = !asset.name.isEmpty() || !asset.location.isEmpty() || !asset.kind.isEmpty() ||
                         !asset.insulationClass.isEmpty();
    if (store_.IsOpen() && !store_.SaveAsset(asset)) {
        assetNote = QStringLiteral("\n\nThe asset's name, location, kind and class could not be saved: ") +
                    Sentence(store_.Error());
    } else if (!store_.IsOpen() && details) {
        // The outbox keeps tests, not assets: the details go in with the next filing of this
        // session, which offers them again.
        assetNote = QStringLiteral("\n\nThe asset's name, location, kind and class are saved with the next test "
                                   "filed under it once the database can be opened.");
    }
    history::TestRecord test = test_;
    test.assetId = id;
    test.operatorName = operator_->text();
    test.comment = comment_->text();
    const FileResult result = store_.FileTest(test);
    result_ = result;
    switch (result.status) {
    case FileResult::Filed:
        dialogs_.Message(QStringLiteral("The test was filed under \"%1\".").arg(id) + assetNote, kTitle, Buttons::Ok,
                         assetNote.isEmpty() ? Icon::Information : Icon::Warning);
        break;
    case FileResult::Duplicate:
        dialogs_.Message(QStringLiteral("This record was filed before; it was not added again.") + assetNote, kTitle,
                         Buttons::Ok, Icon::Information);
        break;
    case FileResult::KeptInOutbox:
        dialogs_.Message(QStringLiteral("The database did not take the test: %1 The test is kept on this computer "
                                        "and will be sent when the database can be opened.")
                                 .arg(Sentence(result.message)) + assetNote,
                         kTitle, Buttons::Ok, Icon::Warning);
        break;
    case FileResult::Failed:
        // The dialog stays open with everything typed, to try again or cancel.
        dialogs_.ShowError(QStringLiteral("The test was not filed: %1").arg(Sentence(result.message)));
        return false;
    }
    g_last = {asset, test.operatorName};
    accept();
    return true;
}

std::optional<FileResult> FileTestInteractively(history::HistoryStore& store, Dialogs& dialogs,
                                                const history::TestRecord& test, QWidget* parent)
{
    FileTestDialog dialog(store, dialogs, test, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Result();
}

}  // namespace krx::history_view
