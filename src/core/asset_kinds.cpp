// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/asset_kinds.h"

namespace krx {

namespace {

struct KindEntry {
    AssetKind kind;
    const char* name;
    const char* label;
};

constexpr KindEntry kKinds[] = {
    {AssetKind::Machine, "machine", "rotating machine"},
    {AssetKind::Transformer, "transformer", "transformer"},
    {AssetKind::Cable, "cable", "cable"},
    {AssetKind::Other, "other", "other"},
};

// The ESD-control items and materials: no nameplate, judged by a limit set's row for their kind.
constexpr struct {
    const char* name;
    const char* label;
} kItemKinds[] = {{"worksurface", "worksurface"},
                  {"flooring", "flooring"},
                  {"seating", "seating"},
                  {"shelving", "shelving"},
                  {"mobile-equipment", "mobile equipment"},
                  {"garment", "garment"},
                  {"groundable-garment", "groundable garment"},
                  {"packaging", "packaging"}};

const KindEntry& EntryOf(AssetKind kind)
{
    for (const KindEntry& e : kKinds)
        if (e.kind == kind)
            return e;
    return kKinds[std::size(kKinds) - 1];
}

// Words the filing dialog offered before the list was one.
struct OldWord {
    const char* word;
    AssetKind kind;
};
constexpr OldWord kOldWords[] = {{"motor", AssetKind::Machine},
                                 {"generator", AssetKind::Machine},
                                 {"rotating machine", AssetKind::Machine}};

}  // namespace

const std::vector<AssetKind>& AssetKinds()
{
    static const std::vector<AssetKind> all = [] {
        std::vector<AssetKind> v;
        for (const KindEntry& e : kKinds)
            v.push_back(e.kind);
        return v;
    }();
    return all;
}

QString KindName(AssetKind kind)
{
    return QString::fromLatin1(EntryOf(kind).name);
}

QString KindLabel(AssetKind kind)
{
    return QString::fromUtf8(EntryOf(kind).label);
}

QStringList KindNames()
{
    QStringList names;
    for (const KindEntry& e : kKinds)
        names << QString::fromLatin1(e.name);
    return names;
}

QString KindNameChoices()
{
    QStringList names = KindNames();
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QStringList ItemKindNames()
{
    QStringList names;
    for (const auto& e : kItemKinds)
        names << QString::fromLatin1(e.name);
    return names;
}

QString KindText(const QString& name)
{
    for (const KindEntry& e : kKinds)
        if (name == QLatin1String(e.name))
            return QString::fromUtf8(e.label);
    for (const auto& e : kItemKinds)
        if (name == QLatin1String(e.name))
            return QString::fromUtf8(e.label);
    QString t = name;
    return t.replace(QLatin1Char('-'), QLatin1Char(' '));
}

bool ParseKind(const QString& text, AssetKind& kind)
{
    for (const KindEntry& e : kKinds)
        if (text == QLatin1String(e.name))
            return kind = e.kind, true;
    return false;
}

std::optional<AssetKind> KindOfStoredText(const QString& text)
{
    const QString word = text.trimmed().toLower();
    AssetKind kind;
    if (ParseKind(word, kind))
        return kind;
    for (const OldWord& w : kOldWords)
        if (word == QLatin1String(w.word))
            return w.kind;
    return std::nullopt;
}

}  // namespace krx
