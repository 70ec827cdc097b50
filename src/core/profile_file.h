// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain profile file ("[section]" lines, "key=value" lines), read and written by a small class of
// our own so that the layout stays as a person wrote it.

#include <QString>

#include <cstdint>
#include <optional>

namespace krx {

// One profile file, opened for each access and closed again; nothing is cached.
class ProfileFile {
public:
    static constexpr int MaxValueLength = 2047;  // what a 2048-byte read buffer returns

    explicit ProfileFile(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    // Section and key names compare without regard to letter case; the first match counts.
    // Blanks around the value and one pair of enclosing quotes are dropped.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // The value when the file holds the key, also an empty one; nullopt without it.
    std::optional<QString> Find(const QString& section, const QString& key) const;
    // Decimal, "0x"/"0X" or "$" hexadecimal, optional sign; anything else gives the default.
    std::int32_t ReadInteger(const QString& section, const QString& key, std::int32_t defaultValue) const;
    // Replaces the key's value, creating file, section or key as needed and keeping every other
    // line as it was. False with a reason in `error` when the file could not be written.
    bool WriteString(const QString& section, const QString& key, const QString& value, QString* error = nullptr);

private:
    QString path_;
};

// The integer forms a profile value may take; false when the text is none of them.
bool ParseProfileInteger(const QString& text, std::int32_t& value);

}  // namespace krx
