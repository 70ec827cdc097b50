// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/version.h"

#include "krx_version_record.h"

#include <QCoreApplication>

namespace krx {

const QString* VersionResource::Query(const QString& path) const
{
    const auto it = strings.constFind(path);
    return it == strings.constEnd() ? nullptr : &it.value();
}

const VersionResource* ProgramVersionResource()
{
    static const VersionResource resource = [] {
        VersionResource r;
        r.strings.insert(QStringLiteral("\\StringFileInfo\\040904E4\\ProductName"),
                         QString::fromUtf8(KRX_RECORD_PRODUCT_NAME));
        r.strings.insert(QStringLiteral("\\StringFileInfo\\040904E4\\CompanyName"),
                         QString::fromUtf8(KRX_RECORD_COMPANY_NAME));
        r.hasFixedPart = true;
        r.signature = VersionResource::Signature;
        r.fileVersionMS = (std::uint32_t{KRX_RECORD_VERSION_MAJOR} << 16) | KRX_RECORD_VERSION_MINOR;
        r.fileVersionLS = (std::uint32_t{KRX_RECORD_VERSION_PATCH} << 16) | KRX_RECORD_VERSION_TWEAK;
        return r;
    }();
    return &resource;
}

void ReadVersionInfo(const VersionResource* resource, VersionRecord& record)
{
    if (!resource)
        return;
    for (const char* key : {"ProductName", "CompanyName"}) {
        const QString* value = resource->Query(QStringLiteral("\\StringFileInfo\\040904E4\\") + QLatin1String(key));
        if (!value)
            continue;
        if (qstrcmp(key, "ProductName") == 0)
            record.ProductName = *value;
        else
            record.CompanyName = *value;
    }
    if (resource->hasFixedPart && resource->signature != 0) {
        record.FileVersion = QStringLiteral("%1.%2.%3.%4")
                                 .arg(resource->fileVersionMS >> 16)
                                 .arg(resource->fileVersionMS & 0xFFFF)
                                 .arg(resource->fileVersionLS >> 16)
                                 .arg(resource->fileVersionLS & 0xFFFF);
    }
}

void ReadVersionInfo(VersionRecord& record)
{
    ReadVersionInfo(ProgramVersionResource(), record);
}

QString MainCaption(const VersionRecord& record)
{
    return QCoreApplication::translate("MainWindow", "%1 read out program %2 Version : %3")
        .arg(record.ProductName, record.CompanyName, record.FileVersion);
}

}  // namespace krx
