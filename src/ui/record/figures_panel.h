// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The insulation figures beside the plot: R at the figures' times, DAR and PI, raw and corrected
// to 40 °C and 20 °C, the verdicts with their sources, and the choices they depend on (the asset's
// nameplate with its thermal class, DAR times, an optional winding temperature). The nameplate and
// the DAR times are kept in the settings file: the next test is judged as the last one was.

#include "ui/record/figure_table.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace krx {

// A line of verdict text: wrapped, plain, found by its object name.
QLabel* VerdictLabel(const QString& name, QWidget* parent);

class FiguresPanel : public QWidget {
    Q_OBJECT
public:
    // Reads the choices from the settings file.
    explicit FiguresPanel(QWidget* parent = nullptr);

    void Show(const InsulationFigures& figures);
    FigureChoices Choices() const { return choices_; }
    // The typed winding temperature; nullopt when empty or not a temperature.
    std::optional<double> WindingTemperature() const { return winding_; }
    // What is shown, as the report prints it.
    FigureTable Table() const;
    // The nameplate as the controls give it (its class is the class box's).
    std::optional<Nameplate> Plate() const;
    // Shows an asset's nameplate in the controls (none: a machine of unknown winding).
    void SetPlate(const std::optional<Nameplate>& plate);

    QComboBox* classBox = nullptr;
    QComboBox* darBox = nullptr;
    QLineEdit* windingEdit = nullptr;
    QComboBox* kindBox = nullptr;
    QLineEdit* ratedEdit = nullptr;
    QComboBox* windingTypeBox = nullptr;
    QLabel* irVerdict = nullptr;
    QLabel* notesLine = nullptr;
    QLabel* windingMessage = nullptr;
    QLabel* darVerdict = nullptr;
    QLabel* piVerdict = nullptr;
    QLabel* temperatureLine = nullptr;
    // The table's text cell at (row, column); row 0 is the header.
    QLabel* Cell(int row, int column) const;

signals:
    // The DAR times changed: the figures need computing again.
    void ChoicesChanged();

private:
    void ClassChosen();
    void DarChosen();
    void WindingEdited();
    void PlateEdited();
    void Refresh();

    InsulationFigures figures_;
    FigureChoices choices_;
    std::optional<double> winding_;
    bool windingValid_ = true;
    bool ratedValid_ = true;
    QGridLayout* grid_ = nullptr;
};

}  // namespace krx
