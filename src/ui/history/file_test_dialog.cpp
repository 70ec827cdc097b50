// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/file_test_dialog.h"

#include "core/dialogs.h"
#include "history/measurement_test.h"
#include "ui/history/history_rows.h"
#include "ui/history/nameplate_fields.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace krx::history_view {

using history::FileResult;

namespace {

LastFiling g_last;

const QString kTitle = QCoreApplication::translate("FileTestDialog", "File test");

// What is being filed, in one line, so that the user sees which test the dialog is about.
QString TestLine(const history::TestRecord& test)
{
    const QStringList row = RowTexts(test, {});
    QStringList parts;
    for (int col : {ColKind, ColDate, ColVoltage, ColDuration, ColR60, ColReading})
        if (!row[col].isEmpty())
            parts << row[col];
    if (!row[ColPi].isEmpty())
        parts << QCoreApplication::translate("FileTestDialog", "PI ") + row[ColPi];
    return parts.join(QStringLiteral(", "));
}

QString TestsLine(const std::vector<history::TestRecord>& tests)
{
    if (tests.size() == 1)
        return TestLine(tests.front());
    return QCoreApplication::translate("FileTestDialog", "%1 tests, %2 to %3")
        .arg(tests.size())
        .arg(tests.empty() ? QString() : tests.front().time.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
             tests.empty() ? QString() : tests.back().time.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

bool IsMeasurement(const history::TestRecord& t)
{
    return (t.kind == history::TestKind::FreeRunning || t.kind == history::TestKind::Timer) && !t.readings.empty();
}

// Records read out of the meter's memory are no tests run now: the question names what it files.
QString SimulatedQuestion(const std::vector<history::TestRecord>& tests)
{
    const bool records = std::all_of(tests.begin(), tests.end(), [](const history::TestRecord& t) {
        return t.kind == history::TestKind::MemoryOhm || t.kind == history::TestKind::MemoryBreakDown;
    });
    const bool one = tests.size() == 1;
    const QString what = records ? (one ? QCoreApplication::translate("FileTestDialog", "This record was read out of the simulated meter")
                                        : QCoreApplication::translate("FileTestDialog", "These %1 records were read out of the simulated meter").arg(tests.size()))
                                 : (one ? QCoreApplication::translate("FileTestDialog", "This test comes from the simulated meter")
                                        : QCoreApplication::translate("FileTestDialog", "These %1 tests come from the simulated meter").arg(tests.size()));
    return what + (one ? QCoreApplication::translate("FileTestDialog", ", not a real one. File it into the test history anyway? It will be marked as "
                                        "simulated.")
                       : QCoreApplication::translate("FileTestDialog", ", not a real one. File them into the test history anyway? They will be "
                                        "marked as simulated."));
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

FileTestDialog::FileTestDialog(history::HistoryStore& store, Dialogs& dialogs,
                               std::vector<history::TestRecord> tests, QWidget* parent)
    : QDialog(parent), store_(store), dialogs_(dialogs), tests_(std::move(tests))
{
    setObjectName(QStringLiteral("FileTestDialog"));
    setWindowTitle(kTitle);
    if (store_.IsOpen()) {
        for (auto& summary : store_.Assets())
            known_.push_back(std::move(summary.asset));
    }
    BuildControls();
}

FileTestDialog::FileTestDialog(history::HistoryStore& store, Dialogs& dialogs, history::TestRecord test,
                               QWidget* parent)
    : FileTestDialog(store, dialogs, std::vector<history::TestRecord>{std::move(test)}, parent)
{
}

void FileTestDialog::BuildControls()
{
    auto* what = new QLabel(TestsLine(tests_));
    what->setObjectName(QStringLiteral("testSummary"));
    what->setTextFormat(Qt::PlainText);
    warning_ = new QLabel;
    warning_->setObjectName(QStringLiteral("databaseWarning"));
    warning_->setWordWrap(true);
    warning_->setTextFormat(Qt::PlainText);
    warning_->setStyleSheet(QStringLiteral("color: #c62828"));
    warning_->setVisible(!store_.IsOpen());
    if (!store_.IsOpen()) {
        warning_->setText(QCoreApplication::translate("FileTestDialog", "The history database cannot be opened: %1 The test will be kept on this "
                                         "computer and sent when the database can be opened.")
                              .arg(Sentence(store_.Error())));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* file = buttons->addButton(QCoreApplication::translate("FileTestDialog", "File"), QDialogButtonBox::AcceptRole);
    file->setObjectName(QStringLiteral("fileButton"));
    file->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FileTestDialog::Submit);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(what);
    layout->addWidget(warning_);
    layout->addLayout(BuildForm());
    verdicts_ = new QLabel;
    verdicts_->setObjectName(QStringLiteral("verdicts"));
    verdicts_->setWordWrap(true);
    verdicts_->setTextFormat(Qt::PlainText);
    layout->addWidget(verdicts_);
    layout->addWidget(buttons);

    connect(assetId_, &QComboBox::currentTextChanged, this, &FileTestDialog::AssetChosen);
    const QString given = tests_.empty() ? QString() : tests_.front().assetId;
    const QString offered = given.isEmpty() ? g_last.asset.id : given;
    assetId_->setEditText(offered);
    ShowJudgedNameplate();
    AssetChosen(offered);
    connect(class_, &QComboBox::currentIndexChanged, this, &FileTestDialog::Rejudge);
    connect(plate_, &NameplateFields::Edited, this, &FileTestDialog::Rejudge);
    Rejudge();
}

bool FileTestDialog::AssetFromFields(history::Asset& asset)
{
    asset = {assetId_->currentText(), name_->text(), location_->text(), {}, class_->currentText(), {}, {}, {}};
    if (plate_->Apply(asset))
        return true;
    dialogs_.Message(QCoreApplication::translate("FileTestDialog", "\"%1\" is not a rated voltage: type the winding's rated voltage in volts, or "
                                    "leave the field empty.")
                         .arg(plate_->rated->text().trimmed()),
                     kTitle, Buttons::Ok, Icon::Warning);
    return false;
}

void FileTestDialog::Rejudge()
{
    history::Asset fields;
    fields.insulationClass = class_->currentText();
    const bool valid = plate_->Apply(fields);
    QStringList lines;
    for (history::TestRecord& t : tests_) {
        if (!IsMeasurement(t) || !valid)
            continue;
        history::Rejudge(t, history::NameplateOf(fields));
        if (lines.isEmpty())
            lines << QCoreApplication::translate("FileTestDialog", "Minimum IR: %1").arg(t.irVerdict) << QCoreApplication::translate("FileTestDialog", "PI: %1").arg(t.piVerdict)
                  << QCoreApplication::translate("FileTestDialog", "DAR: %1").arg(t.darVerdict);
    }
    verdicts_->setText(lines.join(QLatin1Char('\n')));
    verdicts_->setVisible(!lines.isEmpty());
}

QLayout* FileTestDialog::BuildForm()
{
    const history::TestRecord first = tests_.empty() ? history::TestRecord{} : tests_.front();
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
    class_ = new QComboBox;
    class_->setObjectName(QStringLiteral("insulationClass"));
    class_->addItems({QString(), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("F"), QStringLiteral("H")});
    class_->setToolTip(QCoreApplication::translate("FileTestDialog", "For the PI verdict: IEEE 43-2013 asks 1.5 for class A, 2.0 for B, F and H"));
    operator_ = Edit(QStringLiteral("operatorName"), first.operatorName.isEmpty() ? g_last.operatorName
                                                                                  : first.operatorName);
    // Records of a read-out keep their own comments unless one is typed for all of them.
    comment_ = Edit(QStringLiteral("comment"), tests_.size() == 1 ? first.comment : QString());

    auto* form = new QFormLayout;
    form->addRow(QCoreApplication::translate("FileTestDialog", "Asset id:"), assetId_);
    form->addRow(QCoreApplication::translate("FileTestDialog", "Name:"), name_);
    form->addRow(QCoreApplication::translate("FileTestDialog", "Location:"), location_);
    plate_ = new NameplateFields(form, this);
    form->addRow(QCoreApplication::translate("FileTestDialog", "Insulation class:"), class_);
    form->addRow(QCoreApplication::translate("FileTestDialog", "Operator:"), operator_);
    form->addRow(QCoreApplication::translate("FileTestDialog", "Comment:"), comment_);
    return form;
}

// An asset filed before brings its details along; typing on from there to a new id takes them
// away again, while details typed for a new asset stay. The nameplate and class the figures were
// judged with come along with a measurement and win over the asset's: the dialog starts from them.
void FileTestDialog::AssetChosen(const QString& id)
{
    std::optional<history::Asset> found;
    for (const auto& a : known_) {
        if (a.id == id)
            found = a;
    }
    if (!found && !id.isEmpty() && id == g_last.asset.id)
        found = g_last.asset;
    if (found || !filledFrom_.isEmpty()) {
        const history::Asset shown = found.value_or(history::Asset{});
        filledFrom_ = found ? id : QString();
        name_->setText(shown.name);
        location_->setText(shown.location);
        class_->setCurrentIndex(std::max(0, class_->findText(shown.insulationClass)));
        plate_->Show(shown);
        ShowJudgedNameplate();
    }
}

void FileTestDialog::ShowJudgedNameplate()
{
    const history::TestRecord* first = tests_.empty() ? nullptr : &tests_.front();
    if (!first || !IsMeasurement(*first) || !first->nameplate)
        return;
    history::Asset judged;
    history::SetNameplate(judged, first->nameplate);
    plate_->Show(judged);
    class_->setCurrentIndex(std::max(0, class_->findText(judged.insulationClass)));
}

bool FileTestDialog::Submit()
{
    const QString id = assetId_->currentText();
    if (id.trimmed().isEmpty()) {
        dialogs_.Message(QCoreApplication::translate("FileTestDialog", "Type the id of the asset the test belongs to."), kTitle, Buttons::Ok,
                         Icon::Warning);
        return false;
    }
    if (tests_.empty()) {
        reject();
        return false;
    }
    // Readings of the simulated meter in a history of real machines would mislead whoever reads it.
    const bool simulated = std::any_of(tests_.begin(), tests_.end(), [](const auto& t) { return t.simulated; });
    if (simulated && dialogs_.Message(SimulatedQuestion(tests_), kTitle, Buttons::OkCancelDefaultCancel,
                                      Icon::Warning) != Answer::Ok)
        return false;
    history::Asset asset;
    if (!AssetFromFields(asset))
        return false;
    // An ESD item or material has no nameplate: its kind is the item's the test was run on. Only
    // beside details typed, which are saved anyway; alone it would wipe those of a filed asset.
    const bool typed = !asset.name.isEmpty() || !asset.location.isEmpty() || !asset.insulationClass.isEmpty();
    if (typed && asset.kind.isEmpty() && asset.plateKind.isEmpty() && tests_.front().method)
        asset.kind = tests_.front().method->request.itemKind;
    Rejudge();
    std::vector<history::FileResult> now;
    std::vector<history::TestRecord> left;
    for (history::TestRecord test : tests_) {
        test.assetId = id;
        test.operatorName = operator_->text();
        if (tests_.size() == 1 || !comment_->text().isEmpty())
            test.comment = comment_->text();
        now.push_back(store_.FileTest(test));
        // A retry files only what was not kept, so that nothing goes in twice.
        if (!now.back().Kept())
            left.push_back(tests_[now.size() - 1]);
    }
    // After the tests, as a server that was down may have come back while filing them.
    const QString assetNote = SaveAssetDetails(asset);
    results_.insert(results_.end(), now.begin(), now.end());
    tests_ = std::move(left);
    Report(id, assetNote, now);
    if (!tests_.empty())
        return false;
    g_last = {asset, operator_->text()};
    accept();
    return true;
}

// Empty fields never wipe the details of an asset filed before: they are empty when the list of
// assets could not be read as the dialog opened. Returns what the user must know, or empty.
QString FileTestDialog::SaveAssetDetails(const history::Asset& asset)
{
    const bool details = !asset.name.isEmpty() || !asset.location.isEmpty() || !asset.kind.isEmpty() ||
                         !asset.insulationClass.isEmpty() || !asset.plateKind.isEmpty();
    if (!store_.IsOpen()) {
        // The outbox keeps tests, not assets: the details go in with the next filing of this
        // session, which offers them again.
        return details ? QCoreApplication::translate("FileTestDialog", "\n\nThe asset's name, location, kind, class and nameplate are saved with the next "
                                        "test filed under it once the database can be opened.")
                       : QString();
    }
    const auto filed = store_.FindAsset(asset.id);
    const bool same = filed && filed->name == asset.name && filed->location == asset.location &&
                      filed->kind == asset.kind && filed->insulationClass == asset.insulationClass &&
                      filed->plateKind == asset.plateKind && filed->ratedVolts == asset.ratedVolts &&
                      filed->windingType == asset.windingType;
    if (same || (filed && !details) || store_.SaveAsset(asset))
        return {};
    return QCoreApplication::translate("FileTestDialog", "\n\nThe asset's name, location, kind, class and nameplate could not be saved: ") +
           Sentence(store_.Error());
}

// One box for the whole filing: what went in, what was known, what waits in the outbox, and
// what was lost.
void FileTestDialog::Report(const QString& assetId, const QString& assetNote, const std::vector<FileResult>& now)
{
    int filed = 0, known = 0, kept = 0, failed = 0;
    QString keptWhy, failedWhy;
    for (const FileResult& r : now) {
        filed += r.status == FileResult::Filed;
        known += r.status == FileResult::Duplicate;
        if (r.status == FileResult::KeptInOutbox && kept++ == 0)
            keptWhy = r.message;
        if (r.status == FileResult::Failed && failed++ == 0)
            failedWhy = r.message;
    }
    // Whole sentences for one and for many, so that a language orders and inflects them its own way.
    const auto sentence = [](const char* one, const char* many, int n) {
        return n == 1 ? QCoreApplication::translate("FileTestDialog", one)
                      : QCoreApplication::translate("FileTestDialog", many, nullptr, n);
    };
    QStringList lines;
    if (filed > 0)
        lines << sentence(QT_TRANSLATE_NOOP("FileTestDialog", "The test was filed under \"%1\"."),
                    QT_TRANSLATE_NOOP("FileTestDialog", "%n tests were filed under \"%1\"."), filed)
                     .arg(assetId);
    if (known > 0)
        lines << sentence(QT_TRANSLATE_NOOP("FileTestDialog", "One record was filed before; it was not added again."),
                    QT_TRANSLATE_NOOP("FileTestDialog", "%n records were filed before; they were not added again."),
                    known);
    if (kept > 0)
        lines << sentence(QT_TRANSLATE_NOOP("FileTestDialog", "The database did not take the test: %1 It is kept on this "
                                                        "computer and will be sent when the database can be opened."),
                    QT_TRANSLATE_NOOP("FileTestDialog", "The database did not take %n tests: %1 They are kept on this "
                                                         "computer and will be sent when the database can be opened."),
                    kept)
                     .arg(Sentence(keptWhy));
    if (failed > 0) {
        // The dialog stays open with everything typed, to try again or cancel.
        dialogs_.ShowError(sentence(QT_TRANSLATE_NOOP("FileTestDialog", "The test was not filed: %1"),
                              QT_TRANSLATE_NOOP("FileTestDialog", "%n tests were not filed: %1"), failed)
                               .arg(Sentence(failedWhy)) +
                           (lines.isEmpty() ? QString() : QStringLiteral("\n\n") + lines.join(QLatin1Char(' '))));
        return;
    }
    dialogs_.Message(lines.join(QLatin1Char(' ')) + assetNote, kTitle, Buttons::Ok,
                     kept > 0 || !assetNote.isEmpty() ? Icon::Warning : Icon::Information);
}

std::optional<std::vector<FileResult>> FileTestsInteractively(history::HistoryStore& store, Dialogs& dialogs,
                                                              std::vector<history::TestRecord> tests,
                                                              QWidget* parent)
{
    FileTestDialog dialog(store, dialogs, std::move(tests), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Results();
}

}  // namespace krx::history_view
