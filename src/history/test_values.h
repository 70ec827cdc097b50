// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values of a filed test as every face shows them. The history window and its PDF report,
// `history show` and every `history export` format read a stored test through here only, so that
// a value is there in all of them, or absent in all of them with the same reason.

#include "history/history_store.h"

#include <string_view>
#include <vector>

namespace krx::history {

struct TestValue {
    const char* key;   // the export's field name
    QString label;     // the heading a person reads
    QString text;      // for a person ("7.52 GΩ", "1.62"); empty when absent
    QString data;      // for a file: full precision, "." as decimal point; empty when absent
    bool isText = false;  // a string in JSON lines; otherwise a number or a boolean, null when absent
    QString note;      // why the value is absent, or what to know about it; empty when nothing
};

std::vector<TestValue> ValuesOf(const Asset& asset, const TestRecord& test);
// The value of that key; a value with every text empty when there is none.
const TestValue& ValueOf(const std::vector<TestValue>& values, std::string_view key);
// The memory record's reading or the break-down figures in one line, or empty.
QString ReadingSummary(const std::vector<TestValue>& values);
// Every note, each after its value's label: "R 1 min: the meter averaged over its 60 s timer".
QString Notes(const std::vector<TestValue>& values);

// A verdict of a filed test as every face shows it: what was judged, the words, and where the
// limits come from (empty: no rule applies).
struct FiledVerdict {
    QString name;  // "Minimum IR", "PI", "DAR", "Step voltage"
    QString text;
    QString source;
};
// The test's verdicts, minimum IR first as IEEE 43 orders them; those not filed are left out.
std::vector<FiledVerdict> VerdictsOf(const TestRecord& test);

// The test's verdicts in one cell of a table: "Minimum IR: meets … [1]; PI: … [2]", each marked
// with the number of its source in `sources`, where a source not yet there is added; without
// `sources` the marks are left out.
QString VerdictCell(const TestRecord& test, QStringList* sources = nullptr);
// The sources as listed under such a table: "[1] IEEE 43-2013 …", a line each.
QString SourceList(const QStringList& sources);

// A resistance as it is read at the bench: three significant digits and a unit ("7.52 GΩ",
// "1.5 MΩ", "0 Ω").
QString BenchOhm(double ohm, int digits = 3);

}  // namespace krx::history
