// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/figures_panel.h"

#include "core/settings.h"
#include "ui/window_dialogs.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace krx {

namespace {

constexpr int kRows = 7;  // header, four resistances, DAR, PI
constexpr int kColumns = 4;

void Remember(const FigureChoices& choices)
{
    QString reason;
    if (!WriteFigureChoices(choices, &reason))
        WindowDialogs().ShowError(QCoreApplication::translate("FiguresPanel", "Cannot write the settings file %1 (%2). The choice holds until the "
                                              "program ends but is not remembered for the next start.")
                                   .arg(SettingsFilePath(), reason));
}

}  // namespace

QLabel* VerdictLabel(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

namespace {
// Names the core keeps in English, as the history stores them; the panel shows them in the
// window's language.
[[maybe_unused]] const char* const kShownNames[] = {
    QT_TRANSLATE_NOOP("FiguresPanel", "air temperature at the meter"),
    QT_TRANSLATE_NOOP("FiguresPanel", "rotating machine"),
    QT_TRANSLATE_NOOP("FiguresPanel", "transformer"),
    QT_TRANSLATE_NOOP("FiguresPanel", "cable"),
    QT_TRANSLATE_NOOP("FiguresPanel", "other"),
    QT_TRANSLATE_NOOP("FiguresPanel", "form-wound, after about 1970 (100 MΩ; 5 MΩ rated below 1 kV)"),
    QT_TRANSLATE_NOOP("FiguresPanel", "random-wound, or a dc armature (5 MΩ; dc armatures since IEEE 43-2013)"),
    QT_TRANSLATE_NOOP("FiguresPanel", "before about 1970, field winding, or not known (kV + 1 MΩ)"),
};
QString Shown(const QString& english)
{
    return QCoreApplication::translate("FiguresPanel", english.toUtf8().constData());
}
}  // namespace

FiguresPanel::FiguresPanel(QWidget* parent) : QWidget(parent), choices_(ReadFigureChoices())
{
    setObjectName(QStringLiteral("FiguresPanel"));
    auto* form = new QFormLayout;
    classBox = new QComboBox(this);
    classBox->setObjectName(QStringLiteral("InsulationClass"));
    for (InsulationClass c : {InsulationClass::A, InsulationClass::B, InsulationClass::F, InsulationClass::H})
        classBox->addItem(ClassName(c), static_cast<int>(c));
    classBox->setCurrentIndex(classBox->findData(static_cast<int>(choices_.cls)));
    darBox = new QComboBox(this);
    darBox->setObjectName(QStringLiteral("DarTimes"));
    darBox->addItem(QStringLiteral("60 s / 30 s"), static_cast<int>(DarTimes::From30To60));
    darBox->addItem(QStringLiteral("60 s / 15 s"), static_cast<int>(DarTimes::From15To60));
    darBox->setCurrentIndex(darBox->findData(static_cast<int>(choices_.darTimes)));
    windingEdit = new QLineEdit(this);
    windingEdit->setObjectName(QStringLiteral("WindingTemperature"));
    windingEdit->setPlaceholderText(Shown(AirTemperatureName()));
    windingEdit->setMaxLength(16);
    windingMessage = new QLabel(this);
    windingMessage->setObjectName(QStringLiteral("WindingMessage"));
    windingMessage->setWordWrap(true);
    windingMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    windingMessage->hide();
    kindBox = new QComboBox(this);
    kindBox->setObjectName(QStringLiteral("AssetKind"));
    for (AssetKind k : AssetKinds())
        kindBox->addItem(Shown(KindLabel(k)), static_cast<int>(k));
    ratedEdit = new QLineEdit(this);
    ratedEdit->setObjectName(QStringLiteral("RatedVoltage"));
    ratedEdit->setPlaceholderText(QCoreApplication::translate("FiguresPanel", "not known"));
    ratedEdit->setMaxLength(8);
    windingTypeBox = new QComboBox(this);
    windingTypeBox->setObjectName(QStringLiteral("WindingType"));
    windingTypeBox->addItem(QCoreApplication::translate("FiguresPanel", "not set"), -1);
    for (WindingType w : {WindingType::Form, WindingType::Random, WindingType::Older})
        windingTypeBox->addItem(Shown(WindingChoiceText(w)), static_cast<int>(w));
    // Its longest choice would set the panel's width; the list shows every choice whole.
    windingTypeBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    windingTypeBox->setMinimumContentsLength(16);
    form->addRow(QCoreApplication::translate("FiguresPanel", "Asset"), kindBox);
    form->addRow(QCoreApplication::translate("FiguresPanel", "Rated V"), ratedEdit);
    form->addRow(QCoreApplication::translate("FiguresPanel", "Winding"), windingTypeBox);
    form->addRow(QCoreApplication::translate("FiguresPanel", "Insulation class"), classBox);
    form->addRow(QStringLiteral("DAR"), darBox);
    form->addRow(QCoreApplication::translate("FiguresPanel", "Winding °C"), windingEdit);
    form->addRow(windingMessage);

    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(4);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            auto* cell = new QLabel(this);
            cell->setTextFormat(Qt::PlainText);
            cell->setAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (r == 0)
                cell->setStyleSheet(QStringLiteral("font-weight: bold"));
            grid_->addWidget(cell, r, c);
        }
    darVerdict = VerdictLabel(QStringLiteral("DarVerdict"), this);
    piVerdict = VerdictLabel(QStringLiteral("PiVerdict"), this);
    temperatureLine = VerdictLabel(QStringLiteral("TemperatureLine"), this);
    irVerdict = VerdictLabel(QStringLiteral("IrVerdict"), this);
    notesLine = VerdictLabel(QStringLiteral("FigureNotes"), this);
    notesLine->setStyleSheet(QStringLiteral("color: #b00000"));

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 6, 0);  // the last column clear of a scroll bar beside it
    box->addLayout(form);
    box->addSpacing(6);
    box->addLayout(grid_);
    box->addSpacing(6);
    box->addWidget(temperatureLine);
    box->addWidget(irVerdict);
    box->addWidget(piVerdict);
    box->addWidget(darVerdict);
    box->addWidget(notesLine);
    box->addStretch(1);

    connect(classBox, &QComboBox::currentIndexChanged, this, &FiguresPanel::ClassChosen);
    connect(darBox, &QComboBox::currentIndexChanged, this, &FiguresPanel::DarChosen);
    connect(windingEdit, &QLineEdit::textChanged, this, &FiguresPanel::WindingEdited);
    // The nameplate last judged by comes back, without writing the file again.
    kindBox->setCurrentIndex(kindBox->findData(static_cast<int>(choices_.kind)));
    ratedEdit->setText(choices_.ratedVolts ? QLocale().toString(*choices_.ratedVolts, 'g', 7) : QString());
    windingTypeBox->setCurrentIndex(windingTypeBox->findData(choices_.winding ? static_cast<int>(*choices_.winding) : -1));
    PlateEdited();
    auto rememberPlate = [this] {
        PlateEdited();
        Remember(choices_);
    };
    connect(kindBox, &QComboBox::currentIndexChanged, this, rememberPlate);
    connect(windingTypeBox, &QComboBox::currentIndexChanged, this, rememberPlate);
    // Kept once typed rather than at each key.
    connect(ratedEdit, &QLineEdit::textChanged, this, &FiguresPanel::PlateEdited);
    connect(ratedEdit, &QLineEdit::editingFinished, this, [this] { Remember(choices_); });
}

QLabel* FiguresPanel::Cell(int row, int column) const
{
    QLayoutItem* item = grid_->itemAtPosition(row, column);
    return item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
}

void FiguresPanel::Show(const InsulationFigures& figures)
{
    figures_ = figures;
    Refresh();
}

void FiguresPanel::ClassChosen()
{
    choices_.cls = static_cast<InsulationClass>(classBox->currentData().toInt());
    Remember(choices_);
    Refresh();
}

void FiguresPanel::DarChosen()
{
    choices_.darTimes = static_cast<DarTimes>(darBox->currentData().toInt());
    Remember(choices_);
    emit ChoicesChanged();
    Refresh();
}

void FiguresPanel::WindingEdited()
{
    bool ok = true;
    winding_ = ParseWindingTemperature(windingEdit->text(), ok);
    windingValid_ = ok;
    windingMessage->setVisible(!ok);
    if (!ok)
        windingMessage->setText(QCoreApplication::translate("FiguresPanel", "\"%1\" is not a winding temperature: type a number of °C from -50 to "
                                               "250, or leave the field empty for the air temperature at the meter.")
                                    .arg(windingEdit->text().trimmed()));
    Refresh();
}

void FiguresPanel::PlateEdited()
{
    bool ok = true;
    const QString text = ratedEdit->text().trimmed();
    const double v = text.isEmpty() ? 0.0 : QLocale().toDouble(text, &ok);
    ratedValid_ = ok && (text.isEmpty() || (v > 0.0 && v <= 1e6));
    ratedEdit->setStyleSheet(ratedValid_ ? QString() : QStringLiteral("color: #b00000"));
    windingTypeBox->setEnabled(kindBox->currentData().toInt() == static_cast<int>(AssetKind::Machine));
    choices_.kind = static_cast<AssetKind>(kindBox->currentData().toInt());
    if (ratedValid_)
        choices_.ratedVolts = text.isEmpty() ? std::nullopt : std::optional<double>(v);
    const int w = windingTypeBox->currentData().toInt();
    choices_.winding = w >= 0 ? std::optional<WindingType>(static_cast<WindingType>(w)) : std::nullopt;
    Refresh();
}

std::optional<Nameplate> FiguresPanel::Plate() const
{
    Nameplate p;
    p.kind = static_cast<AssetKind>(kindBox->currentData().toInt());
    bool ok = false;
    const double v = QLocale().toDouble(ratedEdit->text().trimmed(), &ok);
    if (ok && ratedValid_ && v > 0.0)
        p.ratedVolts = v;
    if (const int w = windingTypeBox->currentData().toInt(); w >= 0 && p.kind == AssetKind::Machine)
        p.winding = static_cast<WindingType>(w);
    p.cls = choices_.cls;
    return p;
}

void FiguresPanel::SetPlate(const std::optional<Nameplate>& plate)
{
    const Nameplate p = plate.value_or(Nameplate{});
    kindBox->setCurrentIndex(kindBox->findData(static_cast<int>(p.kind)));
    ratedEdit->setText(p.ratedVolts ? QLocale().toString(*p.ratedVolts, 'g', 7) : QString());
    windingTypeBox->setCurrentIndex(windingTypeBox->findData(p.winding ? static_cast<int>(*p.winding) : -1));
    if (p.cls)
        classBox->setCurrentIndex(classBox->findData(static_cast<int>(*p.cls)));
    PlateEdited();
    Remember(choices_);
}

FigureTable FiguresPanel::Table() const
{
    if (windingValid_)
        return MakeFigureTable(figures_, choices_, winding_, Plate());
    // A temperature the user meant but mistyped must not be swapped silently for the air's.
    InsulationFigures uncorrected = figures_;
    uncorrected.meanTemperature.reset();
    FigureTable t = MakeFigureTable(uncorrected, choices_, std::nullopt, Plate());
    t.temperatureLine = QCoreApplication::translate("FiguresPanel", "Winding temperature not valid: nothing corrected");
    return t;
}

void FiguresPanel::Refresh()
{
    const FigureTable t = Table();
    for (int c = 0; c < kColumns; ++c)
        Cell(0, c)->setText(t.header.value(c));
    for (int r = 0; r < static_cast<int>(t.rows.size()) && r + 1 < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            Cell(r + 1, c)->setText(t.rows[static_cast<size_t>(r)].value(c));
    auto verdict = [](const QString& what, const FigureVerdict& v) {
        return v.source.isEmpty() ? QStringLiteral("%1: %2").arg(what, v.text)
                                  : QCoreApplication::translate("FiguresPanel", "%1: %2\nSource: %3").arg(what, v.text, v.source);
    };
    darVerdict->setText(verdict(QStringLiteral("DAR"), t.dar));
    piVerdict->setText(verdict(QStringLiteral("PI"), t.pi));
    irVerdict->setText(verdict(QCoreApplication::translate("FiguresPanel", "Minimum IR"), t.ir));
    QStringList lines{t.rampLine, t.temperatureLine, t.climateLine};
    lines.removeAll(QString());
    temperatureLine->setText(lines.join(QLatin1Char('\n')));
    notesLine->setText(t.notes.join(QLatin1Char('\n')));
    notesLine->setVisible(!t.notes.isEmpty());
}

}  // namespace krx
