#include "BenchSet.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

// Written last, so that an interrupted run leaves no stamp and the next one starts again.
constexpr const char* StampName = "bench-set.stamp";
constexpr const char* StampText =
    "tarvik bench set 1: 500001 plans, 3001 aircraft, 100001 airports";

constexpr int BusyAirports = 20000; // the airports that plans fly between
constexpr uint32_t CodeSpace = 26 * 26 * 26 * 26;

// splitmix64: the same set on every machine.
class Random {
public:
    explicit Random(uint64_t seed) : State(seed) {}
    uint64_t Next() {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    char Letter() { return static_cast<char>('A' + Below(26)); }
    char Digit() { return static_cast<char>('0' + Below(10)); }

private:
    uint64_t State;
};

// Four distinct letters for each airport index: a fixed permutation of the 26^4 codes.
std::string AirportCode(int index) {
    uint32_t n = static_cast<uint32_t>((static_cast<uint64_t>(index) * 7919u + 12345u) % CodeSpace);
    std::string code(4, 'A');
    for (int i = 3; i >= 0; --i) {
        code[static_cast<std::size_t>(i)] = static_cast<char>('A' + n % 26);
        n /= 26;
    }
    return code;
}

// Writes text to a file in large blocks.
class Output {
public:
    explicit Output(const std::string& path) : File(std::fopen(path.c_str(), "wb")) {
        Block.reserve(BlockSize + 1024);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() {
        if (File)
            std::fclose(File);
    }
    bool Opened() const { return File != nullptr; }
    std::string& Text() { return Block; }
    void Line() {
        Block += "\r\n";
        if (Block.size() >= BlockSize)
            Flush();
    }
    bool Close() {
        Flush();
        const bool ok = File && !Failed && std::fclose(File) == 0;
        File = nullptr;
        return ok;
    }

private:
    void Flush() {
        if (File && std::fwrite(Block.data(), 1, Block.size(), File) != Block.size())
            Failed = true;
        Block.clear();
    }
    static constexpr std::size_t BlockSize = 1 << 20;
    std::FILE* File;
    std::string Block;
    bool Failed = false;
};

void AppendNumber(std::string& out, long value, int width = 0) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*ld", width, value);
    out += buf;
}

void AppendTailNumber(std::string& out, Random& r) {
    switch (r.Below(5)) {
    case 0:
    case 1:
        out += 'N';
        AppendNumber(out, 100 + r.Below(900));
        out += r.Letter();
        out += r.Letter();
        break;
    case 2:
        out += "G-";
        for (int i = 0; i < 4; ++i)
            out += r.Letter();
        break;
    case 3:
        out += "D-A";
        for (int i = 0; i < 3; ++i)
            out += r.Letter();
        break;
    default:
        out += "C-F";
        for (int i = 0; i < 3; ++i)
            out += r.Letter();
        break;
    }
}

int LegCount(Random& r) {
    const int roll = r.Below(100);
    if (roll < 60)
        return 2;
    if (roll < 85)
        return 3 + r.Below(2);
    return 5 + r.Below(10);
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

// AC#n,id,pcent%,rate,rules,{dep,arr,level,F|R,flight,airport,}...home — the last leg ends at home.
void AppendPlan(std::string& out, Random& r, long index) {
    static const char* const Rates[] = {"24Hr", "24Hr", "24Hr", "12Hr", "Week", "Week"};
    static const int Percents[] = {100, 100, 100, 100, 100, 75, 50, 25, 10};
    const char* rate = Rates[r.Below(6)];
    const bool weekly = rate[0] == 'W';
    out += "AC#";
    AppendNumber(out, 1 + r.Below(SetAircraft));
    out += ',';
    AppendTailNumber(out, r);
    out += ',';
    AppendNumber(out, Percents[r.Below(9)]);
    out += "%,";
    out += rate;
    out += r.Below(10) == 0 ? ",VFR," : ",IFR,";
    const std::string home = AirportCode(r.Below(BusyAirports));
    const int legs = LegCount(r);
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
        if (leg + 1 < legs) {
            out += AirportCode(r.Below(BusyAirports));
            out += ',';
        }
        clock += block + 30 + r.Below(90);
    }
    out += home;
    if (index % 997 == 0)
        out += "//seasonal";
}

bool WritePlans(const std::string& path) {
    Output out(path);
    if (!out.Opened())
        return false;
    Random r(20240601);
    out.Text() += "// Timing set: one line per aircraft";
    out.Line();
    out.Text() += "; generated, not for flying";
    out.Line();
    out.Line();
    for (long i = 0; i < SetPlans; ++i) {
        if (i > 0 && i % 50000 == 0) {
            out.Line();
            out.Text() += "// block ";
            AppendNumber(out.Text(), i / 50000);
            out.Line();
        }
        AppendPlan(out.Text(), r, i);
        out.Line();
    }
    return out.Close();
}

bool WriteAircraft(const std::string& path) {
    static const char* const Types[] = {"Boeing 737-800",  "Airbus A320",      "Embraer 175",
                                        "Bombardier Q400", "Boeing 777-300ER", "Cessna 208 Caravan",
                                        "ATR 72-600",      "Airbus A330-300"};
    Output out(path);
    if (!out.Opened())
        return false;
    Random r(777);
    for (int i = 0; i < SetAircraft; ++i) {
        std::string& t = out.Text();
        t += "AC#";
        AppendNumber(t, i + 1);
        t += ',';
        AppendNumber(t, 120 + r.Below(380));
        t += ",\"";
        t += Types[r.Below(8)];
        t += " Paint";
        AppendNumber(t, i);
        t += '"';
        out.Line();
    }
    return out.Close();
}

bool WriteAirports(const std::string& path) {
    Output out(path);
    if (!out.Opened())
        return false;
    Random r(4242);
    char buf[64];
    for (int i = 0; i < SetAirports; ++i) {
        const double lat = r.Below(1800000) / 10000.0 - 90.0;
        const double lon = r.Below(3600000) / 10000.0 - 180.0;
        std::snprintf(buf, sizeof buf, ",%.4f,%.4f,%d", lat, lon, r.Below(9000));
        out.Text() += AirportCode(i);
        out.Text() += buf;
        out.Line();
    }
    return out.Close();
}

bool StampMatches(const std::string& folder) {
    std::ifstream in(folder + "/" + StampName);
    std::stringstream text;
    text << in.rdbuf();
    return in && text.str() == StampText;
}

} // namespace

bool MakeBenchSet(const std::string& folder, std::string& why) {
    if (StampMatches(folder))
        return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::filesystem::remove(folder + "/" + StampName, ec);
    if (!WritePlans(folder + "/FlightPlans.txt") || !WriteAircraft(folder + "/Aircraft.txt") ||
        !WriteAirports(folder + "/Airports.txt")) {
        why = std::string("can't write the set in ") + folder + ": " + std::strerror(errno);
        return false;
    }
    std::ofstream stamp(folder + "/" + StampName, std::ios::binary);
    stamp << StampText;
    if (!stamp.flush()) {
        why = "can't write " + folder + "/" + StampName;
        return false;
    }
    return true;
}

} // namespace bench
