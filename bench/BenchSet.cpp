// The full-size set: 500,001 plans, 3,001 aircraft and 100,001 airports, the same on every
// machine, made once in a folder and reused while its stamp matches.

#include "Bench.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace bench {

namespace {

// Written last, so that an interrupted run leaves no stamp and the next one starts again.
constexpr const char* StampName = "/bench-set.stamp";
constexpr const char* StampText =
    "tarvik bench set 1: 500001 plans, 3001 aircraft, 100001 airports";

constexpr int BusyAirports = 20000; // the airports that plans fly between

// splitmix64.
struct Random {
    uint64_t State;
    int Below(int n) {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<int>((z ^ (z >> 31)) % static_cast<uint64_t>(n));
    }
};

void AppendNumber(std::string& out, long value, int width = 0) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*ld", width, value);
    out += buf;
}

// Four letters for each airport index: a fixed permutation of the 26^4 codes.
std::string AirportCode(int index) {
    uint32_t n = static_cast<uint32_t>((static_cast<uint64_t>(index) * 7919u + 12345u) % 456976u);
    std::string code(4, 'A');
    for (int i = 3; i >= 0; --i, n /= 26)
        code[static_cast<std::size_t>(i)] = static_cast<char>('A' + n % 26);
    return code;
}

void AppendTime(std::string& out, int minutes, bool weekly) {
    if (weekly) {
        AppendNumber(out, (minutes / 1440) % 7);
        out += '/';
    }
    AppendNumber(out, (minutes / 60) % 24, 2);
    out += ':';
    AppendNumber(out, minutes % 60, 2);
}

// AC#n,id,pcent%,rate,rules,{dep,arr,level,F|R,flight,airport,}...home: the last leg ends at home.
void AppendPlan(std::string& out, Random& r, long index) {
    static const char* const Rates[] = {"24Hr", "24Hr", "24Hr", "12Hr", "Week", "Week"};
    static const int Percents[] = {100, 100, 100, 100, 100, 75, 50, 25, 10};
    static const char* const Registers[] = {"N", "N", "G-", "D-A", "C-F"};
    const char* rate = Rates[r.Below(6)];
    const bool weekly = rate[0] == 'W';
    out += "AC#";
    AppendNumber(out, 1 + r.Below(SetAircraft));
    const int kind = r.Below(5);
    out += ',';
    out += Registers[kind];
    if (kind < 2)
        AppendNumber(out, 100 + r.Below(900));
    for (int i = kind < 2 ? 2 : kind == 2 ? 4 : 3; i > 0; --i)
        out += static_cast<char>('A' + r.Below(26));
    out += ',';
    AppendNumber(out, Percents[r.Below(9)]);
    out += "%,";
    out += rate;
    out += r.Below(10) == 0 ? ",VFR," : ",IFR,";
    const std::string home = AirportCode(r.Below(BusyAirports));
    const int roll = r.Below(100);
    const int legs = roll < 60 ? 2 : roll < 85 ? 3 + r.Below(2) : 5 + r.Below(10);
    int clock = (weekly ? r.Below(7) * 1440 : 0) + 300 + r.Below(240);
    const int flight = 100 + r.Below(9000);
    for (int leg = 0; leg < legs; ++leg) {
        const int block = 40 + r.Below(200);
        AppendTime(out, clock, weekly);
        out += ',';
        AppendTime(out, clock + block, weekly);
        out += ',';
        AppendNumber(out, 90 + 10 * r.Below(31), 3);
        out += r.Below(4) == 0 ? ",R," : ",F,";
        AppendNumber(out, flight + leg);
        out += ',';
        if (leg + 1 < legs)
            out += AirportCode(r.Below(BusyAirports)) + ',';
        clock += block + 30 + r.Below(90);
    }
    out += home;
    out += index % 997 == 0 ? "//seasonal\r\n" : "\r\n";
}

std::string Plans() {
    Random r{20240601};
    std::string out = "// Timing set: one line per aircraft\r\n; generated, not for flying\r\n\r\n";
    for (long i = 0; i < SetPlans; ++i) {
        if (i > 0 && i % 50000 == 0)
            out += "\r\n// block " + std::to_string(i / 50000) + "\r\n";
        AppendPlan(out, r, i);
    }
    return out;
}

std::string Aircraft() {
    static const char* const Types[] = {"Boeing 737-800",  "Airbus A320",      "Embraer 175",
                                        "Bombardier Q400", "Boeing 777-300ER", "Cessna 208 Caravan",
                                        "ATR 72-600",      "Airbus A330-300"};
    Random r{777};
    std::string out;
    for (int i = 0; i < SetAircraft; ++i) {
        out += "AC#" + std::to_string(i + 1) + ',' + std::to_string(120 + r.Below(380)) + ",\"";
        out += Types[r.Below(8)] + std::string(" Paint") + std::to_string(i) + "\"\r\n";
    }
    return out;
}

std::string Airports() {
    Random r{4242};
    std::string out;
    char buf[64];
    for (int i = 0; i < SetAirports; ++i) {
        const double lat = r.Below(1800000) / 10000.0 - 90.0;
        const double lon = r.Below(3600000) / 10000.0 - 180.0;
        std::snprintf(buf, sizeof buf, ",%.4f,%.4f,%d\r\n", lat, lon, r.Below(9000));
        out += AirportCode(i) + buf;
    }
    return out;
}

bool WriteText(const std::string& path, const std::string& text) {
    return std::ofstream(path, std::ios::binary)
        .write(text.data(), long(text.size()))
        .flush()
        .good();
}

} // namespace

bool MakeBenchSet(const std::string& folder, std::string& why) {
    std::ifstream stamp(folder + StampName);
    std::string text;
    if (std::getline(stamp, text) && text == StampText)
        return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::filesystem::remove(folder + StampName, ec);
    if (WriteText(folder + "/FlightPlans.txt", Plans()) &&
        WriteText(folder + "/Aircraft.txt", Aircraft()) &&
        WriteText(folder + "/Airports.txt", Airports()) && WriteText(folder + StampName, StampText))
        return true;
    why = "can't write the set in " + folder;
    return false;
}

} // namespace bench
