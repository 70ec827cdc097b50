// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one list of what an asset can be: the insulation assets a nameplate names, and the ESD-control
// items and materials the limit sets judge. The figures panel, the filing dialog, the history, the
// limit sets and the command line all take their kinds, names and words from here, so that a kind
// added to the list is offered everywhere at once.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace krx {

enum class AssetKind { Machine, Transformer, Cable, Other };

// Every kind, in the order the lists offer them.
const std::vector<AssetKind>& AssetKinds();
// "machine", "transformer", "cable", "other": the name the history stores and the command line takes.
QString KindName(AssetKind kind);
// What a person reads: "rotating machine", "transformer", "cable", "other".
QString KindLabel(AssetKind kind);
// The names above, in the list's order.
QStringList KindNames();
// The names above, separated by commas and a last "or": for messages that list the choices.
QString KindNameChoices();
// The ESD-control items and materials, as the limit sets and the history name them: "worksurface",
// "flooring", "seating", "shelving", "mobile-equipment", "garment", "groundable-garment", "packaging".
QStringList ItemKindNames();
// What a person reads for any kind's name: "rotating machine", "mobile equipment"; a name not in the
// list (a user's limit set may bring its own) with its hyphens as spaces.
QString KindText(const QString& name);

// A stored name; false for anything else.
bool ParseKind(const QString& text, AssetKind& kind);
// An asset's kind as a history holds it: a name of the list, or a word that was typed freely before
// there was one list ("motor", "generator", "transformer", "cable", in any case). Empty for any
// other text, which is then shown as it was typed.
std::optional<AssetKind> KindOfStoredText(const QString& text);

}  // namespace krx
