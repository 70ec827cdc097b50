// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sets the program's locale for one scope; the C locale comes back afterwards.

#include <QLocale>

namespace krx::test {

struct LocaleGuard {
    explicit LocaleGuard(QLocale::Language language) { QLocale::setDefault(QLocale(language)); }
    ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;
};

}  // namespace krx::test
