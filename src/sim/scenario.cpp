#include "sim/sim_backend.h"

#include <QFile>

#include <nlohmann/json.hpp>

#include <cstring>
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

template <typename T>
void Get(const json& j, const char* key, T& out)
{
    if (!j.contains(key))
        return;
    try {
        out = j.at(key).get<T>();
    } catch (const json::exception&) {
        throw std::runtime_error(std::string("scenario: \"") + key + "\" has the wrong type");
    }
}

void Get(const json& j, const char* key, unsigned char& out)
{
    int v = out;
    Get(j, key, v);
    if (v < 0 || v > 255)
        throw std::runtime_error(std::string("scenario: \"") + key + "\" must be a byte (0..255)");
    out = static_cast<unsigned char>(v);
}

template <size_t N>
std::array<int, N> Ints(const json& j, const char* key, std::array<int, N> dflt)
{
    if (!j.contains(key))
        return dflt;
    const json& a = j.at(key);
    bool ok = a.is_array() && a.size() == N;
    for (size_t i = 0; ok && i < N; ++i)
        ok = a[i].is_number_integer();
    if (!ok)
        throw std::runtime_error(std::string("scenario: \"") + key + "\" must be an array of " + std::to_string(N) +
                                 " integers");
    std::array<int, N> out{};
    for (size_t i = 0; i < N; ++i)
        out[i] = a[i].get<int>();
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

Scenario Scenario::FromJson(const std::string& text)
{
    json j;
    try {
        j = json::parse(text);
    } catch (const json::parse_error& e) {
        throw std::runtime_error(std::string("scenario: not valid JSON: ") + e.what());
    }
    if (!j.is_object())
        throw std::runtime_error("scenario: the top level must be an object");

    const bool fromDefault = j.value("memoriesFromDefault", !j.contains("ohmMemory") && !j.contains("breakDownMemory"));
    Scenario s = fromDefault ? Default() : Scenario();
    Get(j, "serialNo", s.serialNo);
    Get(j, "swVersion", s.swVersion);
    Get(j, "deviceName", s.deviceName);
    Get(j, "present", s.present);
    Get(j, "batteryEmpty", s.batteryEmpty);
    Get(j, "setup0", s.setup0);
    Get(j, "setup1", s.setup1);
    Get(j, "measuringTimer", s.measuringTimer);
    Get(j, "breakDownTimer", s.breakDownTimer);
    Get(j, "breakOffTimer", s.breakOffTimer);
    Get(j, "stabiliseSeconds", s.stabiliseSeconds);
    Get(j, "r0", s.r0);
    Get(j, "rInf", s.rInf);
    Get(j, "tauSeconds", s.tauSeconds);
    Get(j, "minOhmPerVolt", s.minOhmPerVolt);
    Get(j, "maxOhmPerVolt", s.maxOhmPerVolt);
    Get(j, "humidity", s.humidity);
    Get(j, "temperature", s.temperature);
    Get(j, "breakDownAfter", s.breakDownAfter);
    Get(j, "breakOffAfter", s.breakOffAfter);
    Get(j, "breakDownVoltage", s.breakDownVoltage);
    Get(j, "resistanceBeforeKOhm", s.resistanceBeforeKOhm);
    Get(j, "resistanceAfterBDKOhm", s.resistanceAfterBDKOhm);
    Get(j, "resistanceAfterBOKOhm", s.resistanceAfterBOKOhm);
    for (int t : {s.measuringTimer, s.breakDownTimer, s.breakOffTimer})
        if (t < 0 || t > 65535)
            throw std::runtime_error("scenario: timers must lie between 0 and 65535 seconds");

    if (j.contains("ohmMemory")) {
        s.ohmMemory.clear();
        for (const json& r : j.at("ohmMemory")) {
            if (r.contains("raw")) {
                s.ohmMemory.push_back({FromHex<30>(r.at("raw").get<std::string>(), "ohmMemory")});
                continue;
            }
            const auto date = Ints<3>(r, "date", {1, 1, 26});
            const auto time = Ints<2>(r, "time", {12, 0});
            s.ohmMemory.push_back(MakeOhm(r.value("record", static_cast<int>(s.ohmMemory.size()) + 1), date[0],
                                          date[1], date[2], time[0], time[1], r.value("humidity", "45"),
                                          r.value("temperature", "22.5"), r.value("voltage", 500),
                                          r.value("timer", 0), r.value("mantissa", "1.00"),
                                          r.value("exponent", " 9"), r.value("calculation", 0)));
        }
    }
    if (j.contains("breakDownMemory")) {
        s.breakDownMemory.clear();
        for (const json& r : j.at("breakDownMemory")) {
            if (r.contains("raw")) {
                s.breakDownMemory.push_back({FromHex<31>(r.at("raw").get<std::string>(), "breakDownMemory")});
                continue;
            }
            const auto date = Ints<3>(r, "date", {1, 1, 26});
            const auto time = Ints<2>(r, "time", {12, 0});
            s.breakDownMemory.push_back(MakeBreakDown(
                r.value("record", static_cast<int>(s.breakDownMemory.size()) + 1), date[0], date[1], date[2],
                time[0], time[1], r.value("humidity", "45"), r.value("temperature", "22.5"),
                r.value("voltage", 1000), r.value("before", 1000000u), r.value("after", 1000u),
                r.value("cycleTime", 10), r.value("off", 0u), r.value("timerOff", 0)));
        }
    }
    if (j.contains("faults")) {
        for (const json& f : j.at("faults")) {
            Fault fault;
            fault.kind = KindOf(f.value("kind", std::string()));
            Get(f, "at", fault.at);
            Get(f, "command", fault.command);
            Get(f, "count", fault.count);
            Get(f, "code", fault.code);
            Get(f, "bytes", fault.bytes);
            Get(f, "atSecond", fault.atSecond);
            const std::string dir = f.value("direction", std::string("both"));
            fault.direction = dir == "in" ? 1 : dir == "out" ? 2 : 0;
            s.faults.push_back(fault);
        }
    }
    return s;
}

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
