// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's version record and its reader. Program files on this platform carry no version
// resource, so the build compiles an equivalent one into the program: a string table for language
// 0409 / code page 04E4 and a fixed part with the numeric file version.

#include <QMap>
#include <QString>

#include <cstdint>

namespace krx {

struct VersionRecord {
    QString ProductName;
    QString CompanyName;
    QString FileVersion;
};

struct VersionResource {
    static constexpr std::uint32_t Signature = 0xFEEF04BD;

    // Values by query path, "\StringFileInfo\040904E4\ProductName".
    QMap<QString, QString> strings;
    bool hasFixedPart = false;
    std::uint32_t signature = 0;
    std::uint32_t fileVersionMS = 0;  // major << 16 | minor
    std::uint32_t fileVersionLS = 0;  // patch << 16 | tweak

    // The value at a query path, as a version query answers it; nullptr when absent.
    const QString* Query(const QString& path) const;
};

// The record compiled into this program; nullptr would mean a program without one.
const VersionResource* ProgramVersionResource();

// Fills the fields whose source is present; the others keep their text.
void ReadVersionInfo(const VersionResource* resource, VersionRecord& record);
void ReadVersionInfo(VersionRecord& record);

// ProductName " read out program " CompanyName " Version : " FileVersion.
QString MainCaption(const VersionRecord& record);

}  // namespace krx
