// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few control kinds the windows need beyond plain Qt widgets: a radio group with an item
// index, masked edits written in the designer's mask notation, buttons with pictures, and the
// fonts of the designed windows with fallbacks for machines without them.

#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace krx {

// A framed group of radio buttons, one of which is selected by index (-1: none). Click() is
// emitted whenever the selected item changes, by the user or by SetItemIndex, and not when the
// same item is selected again.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns = 1, QWidget* parent = nullptr);

    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Count() const;
    QRadioButton* Button(int index) const;

signals:
    void Click();

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitMargins();

    void Toggled(int id, bool checked);

    QButtonGroup* group_;
    int itemIndex_ = -1;
};

// Converts a designer edit mask "mask;keep literals;blank" to Qt's input mask notation. The blank
// character is the third field ("_" when the mask has no third field, a blank when it is empty).
QString QtInputMask(const QString& editMask);
// A line edit with an edit mask in designer notation and its starting text.
QLineEdit* MakeMaskEdit(const QString& name, const QString& editMask, const QString& text, QWidget* parent);

// A push button with a picture, as the designer's BitBtn.
QPushButton* MakeBitBtn(const QString& name, const QString& caption, const QIcon& icon, QWidget* parent);

// A label with its object name and font.
QLabel* MakeLabel(const QString& name, const QString& text, const QFont& font, QWidget* parent);
// A red line saying that the simulated meter runs, shown only then, so that no window passes for a
// real meter.
QLabel* MakeSimulatedMeterLabel(bool simulated, QWidget* parent);

// Sets a control's minimum size to its designed size, or more where its content needs it (a longer
// text, a wider fallback font); a designed 0 leaves that dimension to the content. For controls
// without children: a group's size hint changes once the window style is applied.
void SetDesignedMinimum(QWidget* widget, const QSize& designed);

// Margins of a group's layout (set it first): `margins` around the items, the top one counted from
// below the caption that sits in the frame line. They follow a change of the group's font.
void FitGroupLayout(QGroupBox* group, const QMargins& margins);

// A control that is shown and hidden while its window is open keeps its place in the layout when
// hidden, so that its neighbours do not jump about.
void KeepPlaceWhenHidden(QWidget* widget);

// Fonts of the designed windows; each names its family first and falls back to metric look-alikes.
// `pixelSize` is the designed size at 96 dpi: the font grows with the desktop's text scaling and
// with a larger application font.
QFont ArialFont(int pixelSize, bool bold = false);
QFont ArialNarrowFont(int pixelSize, bool bold = false);
QFont ArialRoundedFont(int pixelSize);
QFont CourierFont(int pixelSize);
QFont SmallSansFont();

// The look of the designed windows: group captions set into the frame line, not above it.
void ApplyWindowStyle(QWidget* window);

// Top-left corner that centres a window of `size` on a screen of `screen`, halves rounded toward
// zero, as the windows are placed at start.
QPoint CentredPosition(const QSize& screen, const QSize& size);
// Moves a top-level window so that its frame sits in the centre of the primary screen's full area
// (not the work area): now by its inside, and again by its frame when it is first shown.
void CentreOnPrimaryScreen(QWidget* window);

}  // namespace krx
