// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_backend.h"

#include <QFile>

#include <nlohmann/json.hpp>

#include <cstring>
#include <set>
#include <stdexcept>

namespace krx::sim {

namespace {
using nlohmann::json;

void PutBe16(unsigned char* out, unsigned v)
{
    out[0] = static_cast<unsigned char>((v >> 8) & 0xFF);
    out[1] = static_cast<unsigned char>(v & 0xFF);
}

void PutBe32(unsigned char* out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

void PutChars(unsigned char* out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        out[i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
}

// The twelve bytes every stored record starts with.
void PutHead(unsigned char* out, int no, int day, int month, int year, int hour, int minute,
             const std::string& humidity, const std::string& temperature)
{
    out[0] = static_cast<unsigned char>(no);
    out[1] = static_cast<unsigned char>(day);
    out[2] = static_cast<unsigned char>(month);
    out[3] = static_cast<unsigned char>(year);
    out[4] = static_cast<unsigned char>(hour);
    out[5] = static_cast<unsigned char>(minute);
    PutChars(out + 6, humidity, 2);
    PutChars(out + 8, temperature, 4);
}

OhmRecordSpec MakeOhm(int no, int day, int month, int year, int hour, int minute, const std::string& humidity,
                      const std::string& temperature, int voltage, int timer, const std::string& mantissa,
                      const std::string& exponent, int calculation)
{
    OhmRecordSpec r;
    PutHead(r.bytes.data(), no, day, month, year, hour, minute, humidity, temperature);
    PutBe16(r.bytes.data() + 12, static_cast<unsigned>(voltage));
    PutBe16(r.bytes.data() + 14, static_cast<unsigned>(timer));
    PutChars(r.bytes.data() + 16, mantissa, 4);
    PutChars(r.bytes.data() + 20, exponent, 2);
    r.bytes[22] = static_cast<unsigned char>(calculation);
    return r;
}

BreakDownRecordSpec MakeBreakDown(int no, int day, int month, int year, int hour, int minute,
                                  const std::string& humidity, const std::string& temperature, int voltage,
                                  std::uint32_t before, std::uint32_t after, int cycle, std::uint32_t off,
                                  int timerOff)
{
    BreakDownRecordSpec r;
    PutHead(r.bytes.data(), no, day, month, year, hour, minute, humidity, temperature);
    PutBe16(r.bytes.data() + 12, static_cast<unsigned>(voltage));
    PutBe32(r.bytes.data() + 14, before);
    PutBe32(r.bytes.data() + 18, after);
    PutBe16(r.bytes.data() + 22, static_cast<unsigned>(cycle));
    PutBe32(r.bytes.data() + 24, off);
    PutBe16(r.bytes.data() + 28, static_cast<unsigned>(timerOff));
    return r;
}

template <size_t N>
std::array<unsigned char, N> FromHex(const std::string& hex, const char* what)
{
    std::array<unsigned char, N> out{};
    std::string digits;
    for (char c : hex)
        if (!std::isspace(static_cast<unsigned char>(c)))
            digits += c;
    if (digits.size() != 2 * N)
        throw std::runtime_error(std::string(what) + ": \"raw\" must hold exactly " + std::to_string(N) +
                                 " bytes in hexadecimal");
    for (size_t i = 0; i < N; ++i) {
        const std::string byte = digits.substr(2 * i, 2);
        char* end = nullptr;
        const long v = std::strtol(byte.c_str(), &end, 16);
        if (!end || *end != '\0')
            throw std::runtime_error(std::string(what) + ": \"" + byte + "\" is not a hexadecimal byte");
        out[i] = static_cast<unsigned char>(v);
    }
    return out;
}

[[noreturn]] void WrongType(const char* key, const char* what)
{
    throw std::runtime_error(std::string("scenario: \"") + key + "\" must be " + what);
}

// Integers are checked for type and range here: a float or a huge number must not reach a
// narrowing conversion.
long long IntOf(const json& v, const char* key, long long lo, long long hi)
{
    if (!v.is_number_integer())
        WrongType(key, "an integer");
    if (v.is_number_unsigned() ? v.get<unsigned long long>() > static_cast<unsigned long long>(hi)
                               : (v.get<long long>() < lo || v.get<long long>() > hi))
        throw std::runtime_error(std::string("scenario: \"") + key + "\" must lie between " + std::to_string(lo) +
                                 " and " + std::to_string(hi));
    return v.get<long long>();
}

void Get(const json& j, const char* key, int& out, long long lo = -2147483647LL, long long hi = 2147483647LL)
{
    if (j.contains(key))
        out = static_cast<int>(IntOf(j.at(key), key, lo, hi));
}

void Get(const json& j, const char* key, std::uint32_t& out)
{
    if (j.contains(key))
        out = static_cast<std::uint32_t>(IntOf(j.at(key), key, 0, 4294967295LL));
}

void Get(const json& j, const char* key, unsigned char& out)
{
    if (j.contains(key))
        out = static_cast<unsigned char>(IntOf(j.at(key), key, 0, 255));
}

void Get(const json& j, const char* key, double& out)
{
    if (!j.contains(key))
        return;
    if (!j.at(key).is_number())
        WrongType(key, "a number");
    out = j.at(key).get<double>();
}

void Get(const json& j, const char* key, bool& out)
{
    if (!j.contains(key))
        return;
    if (!j.at(key).is_boolean())
        WrongType(key, "true or false");
    out = j.at(key).get<bool>();
}

void Get(const json& j, const char* key, std::string& out)
{
    if (!j.contains(key))
        return;
    if (!j.at(key).is_string())
        WrongType(key, "a text");
    out = j.at(key).get<std::string>();
}

template <typename T>
T Or(const json& j, const char* key, T dflt)
{
    T v = dflt;
    Get(j, key, v);
    return v;
}

template <size_t N>
std::array<int, N> Ints(const json& j, const char* key, std::array<int, N> dflt)
{
    if (!j.contains(key))
        return dflt;
    const json& a = j.at(key);
    if (!a.is_array() || a.size() != N)
        throw std::runtime_error(std::string("scenario: \"") + key + "\" must be an array of " + std::to_string(N) +
                                 " integers");
    std::array<int, N> out{};
    for (size_t i = 0; i < N; ++i)
        out[i] = static_cast<int>(IntOf(a[i], key, 0, 255));
    return out;
}

Fault::Kind KindOf(const std::string& name)
{
    static const std::pair<const char*, Fault::Kind> kinds[] = {
        {"unplug", Fault::Unplug}, {"replug", Fault::Replug},   {"fail", Fault::Fail},
        {"timeout", Fault::Timeout}, {"short", Fault::Short}, {"garbage", Fault::Garbage},
        {"access-denied", Fault::AccessDenied},
    };
    for (const auto& [n, k] : kinds)
        if (name == n)
            return k;
    throw std::runtime_error("scenario: unknown fault kind \"" + name + "\"");
}
}  // namespace

Scenario Scenario::Default()
{
    Scenario s;
    s.ohmMemory = {
        MakeOhm(1, 7, 3, 26, 9, 5, "42", "21.5", 500, 0, "4.70", " 9", 0),
        MakeOhm(2, 7, 3, 26, 9, 41, "43", "21.8", 1000, 60, "1.25", "12", 1),
        MakeOhm(3, 9, 3, 26, 14, 2, "51", "23.0", 100, 120, "8.80", " 7", 0),
    };
    s.breakDownMemory = {
        MakeBreakDown(1, 12, 3, 26, 10, 30, "44", "22.1", 1000, 1999999, 1500, 14, 250000, 6),
        MakeBreakDown(2, 12, 3, 26, 11, 2, "45", "22.4", 500, 850000, 900, 21, 0, 0),
    };
    return s;
}

namespace {
const json& ArrayAt(const json& j, const char* key)
{
    const json& a = j.at(key);
    if (!a.is_array())
        throw std::runtime_error(std::string("scenario: \"") + key + "\" must be an array");
    for (const json& e : a)
        if (!e.is_object())
            throw std::runtime_error(std::string("scenario: each entry of \"") + key + "\" must be an object");
    return a;
}

Scenario Parse(const std::string& text);
Scenario ParseObject(const json& j);
}  // namespace

Scenario Scenario::FromJson(const std::string& text)
{
    try {
        return Parse(text);
    } catch (const json::exception& e) {
        // Wrong types and numbers out of range inside otherwise valid JSON.
        throw std::runtime_error(std::string("scenario: ") + e.what());
    }
}

namespace {
Scenario Parse(const std::string& text)
{
    json j;
    try {
        j = json::parse(text);
    } catch (const json::exception& e) {
        throw std::runtime_error(std::string("scenario: not valid JSON: ") + e.what());
    }
    if (!j.is_object())
        throw std::runtime_error("scenario: the top level must be an object");
    Scenario s = ParseObject(j);
    if (!j.contains("meters"))
        return s;
    // Each meter is the top level with its own keys put over it.
    std::set<std::string> serials;
    std::set<int> addresses;
    for (const json& entry : ArrayAt(j, "meters")) {
        if (entry.contains("meters"))
            throw std::runtime_error("scenario: a meter of \"meters\" cannot hold meters itself");
        json merged = j;
        merged.erase("meters");
        for (const auto& [key, value] : entry.items())
            merged[key] = value;
        Scenario m = ParseObject(merged);
        m.address = Or<int>(entry, "address", 0);
        if (m.address < 0 || m.address > 127)
            throw std::runtime_error("scenario: a meter's \"address\" must be from 1 to 127");
        if (!serials.insert(m.serialNo).second)
            throw std::runtime_error("scenario: two meters have the serial number " + m.serialNo);
        if (m.address > 0 && !addresses.insert(m.address).second)
            throw std::runtime_error("scenario: two meters sit at address " + std::to_string(m.address));
        s.meters.push_back(std::move(m));
    }
    return s;
}

Scenario ParseObject(const json& j)
{
    const bool fromDefault = Or(j, "memoriesFromDefault", !j.contains("ohmMemory") && !j.contains("breakDownMemory"));
    Scenario s = fromDefault ? Scenario::Default() : Scenario();
    Get(j, "serialNo", s.serialNo);
    Get(j, "swVersion", s.swVersion);
    Get(j, "deviceName", s.deviceName);
    Get(j, "present", s.present);
    Get(j, "batteryEmpty", s.batteryEmpty);
    Get(j, "setup0", s.setup0);
    Get(j, "setup1", s.setup1);
    Get(j, "measuringTimer", s.measuringTimer, 0, 65535);
    Get(j, "breakDownTimer", s.breakDownTimer, 0, 65535);
    Get(j, "breakOffTimer", s.breakOffTimer, 0, 65535);
    Get(j, "stabiliseSeconds", s.stabiliseSeconds);
    Get(j, "r0", s.r0);
    Get(j, "rInf", s.rInf);
    Get(j, "tauSeconds", s.tauSeconds);
    Get(j, "leakageFallPerHundredVolts", s.leakageFallPerHundredVolts);
    if (!(s.leakageFallPerHundredVolts >= 0.0 && s.leakageFallPerHundredVolts < 100.0))
        throw std::runtime_error("scenario: \"leakageFallPerHundredVolts\" must be at least 0 and below 100");
    for (auto [key, value] : {std::pair{"rAt10V", &s.rAt10V}, std::pair{"rAt100V", &s.rAt100V}}) {
        if (!j.contains(key))
            continue;
        double r = 0.0;
        Get(j, key, r);
        if (!(r > 0.0))
            throw std::runtime_error(std::string("scenario: \"") + key + "\" must be ohms above 0");
        *value = r;
    }
    Get(j, "minOhmPerVolt", s.minOhmPerVolt);
    Get(j, "maxOhmPerVolt", s.maxOhmPerVolt);
    Get(j, "humidity", s.humidity);
    Get(j, "temperature", s.temperature);
    Get(j, "breakDownAfter", s.breakDownAfter);
    Get(j, "breakOffAfter", s.breakOffAfter);
    Get(j, "breakDownVoltage", s.breakDownVoltage, 0, 65535);
    Get(j, "resistanceBeforeKOhm", s.resistanceBeforeKOhm);
    Get(j, "resistanceAfterBDKOhm", s.resistanceAfterBDKOhm);
    Get(j, "resistanceAfterBOKOhm", s.resistanceAfterBOKOhm);

    if (j.contains("ohmMemory")) {
        s.ohmMemory.clear();
        for (const json& r : ArrayAt(j, "ohmMemory")) {
            if (r.contains("raw")) {
                s.ohmMemory.push_back({FromHex<protocol::kOhmRecordBytes>(Or<std::string>(r, "raw", ""), "ohmMemory")});
                continue;
            }
            const auto date = Ints<3>(r, "date", {1, 1, 26});
            const auto time = Ints<2>(r, "time", {12, 0});
            s.ohmMemory.push_back(MakeOhm(Or(r, "record", static_cast<int>(s.ohmMemory.size()) + 1), date[0],
                                          date[1], date[2], time[0], time[1], Or<std::string>(r, "humidity", "45"),
                                          Or<std::string>(r, "temperature", "22.5"), Or<int>(r, "voltage", 500),
                                          Or<int>(r, "timer", 0), Or<std::string>(r, "mantissa", "1.00"),
                                          Or<std::string>(r, "exponent", " 9"), Or<int>(r, "calculation", 0)));
        }
    }
    if (j.contains("breakDownMemory")) {
        s.breakDownMemory.clear();
        for (const json& r : ArrayAt(j, "breakDownMemory")) {
            if (r.contains("raw")) {
                s.breakDownMemory.push_back({FromHex<protocol::kBreakDownRecordBytes>(Or<std::string>(r, "raw", ""), "breakDownMemory")});
                continue;
            }
            const auto date = Ints<3>(r, "date", {1, 1, 26});
            const auto time = Ints<2>(r, "time", {12, 0});
            s.breakDownMemory.push_back(MakeBreakDown(
                Or(r, "record", static_cast<int>(s.breakDownMemory.size()) + 1), date[0], date[1], date[2],
                time[0], time[1], Or<std::string>(r, "humidity", "45"), Or<std::string>(r, "temperature", "22.5"),
                Or<int>(r, "voltage", 1000), Or<std::uint32_t>(r, "before", 1000000u), Or<std::uint32_t>(r, "after", 1000u),
                Or<int>(r, "cycleTime", 10), Or<std::uint32_t>(r, "off", 0u), Or<int>(r, "timerOff", 0)));
        }
    }
    if (j.contains("faults")) {
        for (const json& f : ArrayAt(j, "faults")) {
            Fault fault;
            fault.kind = KindOf(Or<std::string>(f, "kind", ""));
            Get(f, "at", fault.at);
            Get(f, "command", fault.command);
            Get(f, "count", fault.count);
            Get(f, "code", fault.code);
            Get(f, "bytes", fault.bytes);
            Get(f, "atSecond", fault.atSecond);
            const std::string dir = Or<std::string>(f, "direction", "both");
            fault.direction = dir == "in" ? 1 : dir == "out" ? 2 : 0;
            s.faults.push_back(fault);
        }
    }
    return s;
}
}  // namespace

Scenario Scenario::FromJsonFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("scenario file " + path.toStdString() + " cannot be read: " +
                                 f.errorString().toStdString());
    try {
        return FromJson(f.readAll().toStdString());
    } catch (const std::exception& e) {
        throw std::runtime_error(path.toStdString() + ": " + e.what());
    }
}

}  // namespace krx::sim
