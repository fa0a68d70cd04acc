#include "run/SetCheck.h"

#include "run/Rule.h"
#include "traffic/Load.h"
#include "traffic/Memory.h"
#include "traffic/Text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace tarvik {

const std::array<DiagnosticKind, 10> DiagnosticKinds = {{
    {"doubtful-line", Severity::Error, "There may be a problem in this line: AC#1,N1"},
    {"unknown-aircraft", Severity::Error, "aircraft number 9 is not in Aircraft.txt"},
    {"unknown-home-airport", Severity::Error, "home airport KXYZ is not in Airports.txt"},
    {"unknown-airport", Severity::Error, "airport KXYZ of the legs is not in Airports.txt"},
    {"duplicate-identifier", Severity::Warning,
     "aircraft identifier N123 is used before, at FlightPlans.txt:12"},
    {"duplicate-aircraft-number", Severity::Warning,
     "aircraft number 7 is listed before, at line 3"},
    {"percentage", Severity::Warning, "percentage 150 is outside 0 to 100"},
    {"frequency", Severity::Warning, "flight frequency Daily is none of 1Hr 2hr ... Week"},
    {"flight-rules", Severity::Warning, "flight rules XFR are neither IFR nor VFR"},
    {"legs-shape", Severity::Warning,
     "the legs do not split into flights of six fields, the last closed by the home airport"},
}};

namespace {

// A number in decimal, kept in the object itself: no allocation for a message's figures.
class Decimal {
public:
    explicit Decimal(int64_t n)
        : Size(std::to_chars(Digits, Digits + sizeof Digits, n).ptr - Digits) {}
    operator std::string_view() const { return {Digits, static_cast<std::size_t>(Size)}; }

private:
    char Digits[24];
    std::ptrdiff_t Size;
};

enum Kind {
    DoubtfulLineKind,
    UnknownAircraft,
    UnknownHomeAirport,
    UnknownAirport,
    DuplicateIdentifier,
    DuplicateAircraftNumber,
    PercentageKind,
    FrequencyKind,
    FlightRulesKind,
    LegsShape,
};

// Asks for the memory at p to be brought near the processor. The empty statement that takes p keeps
// the compiler from seeing a function that only does this as one without effect, whose calls it
// would leave out.
inline void BringNear(const void* p) {
    __builtin_prefetch(p);
    asm volatile("" : : "r"(p));
}

constexpr uint64_t EachByte = 0x0101010101010101ull;

// The bytes of packed with the capital letters among those whose high bit high sets made small, all
// at once: a byte's high bit tells whether it is at least "A", beyond "Z", or no character of
// seven bits.
uint64_t SmallLetters(uint64_t packed, uint64_t high) {
    const uint64_t low7 = packed & (0x7F * EachByte);
    const uint64_t capital = (low7 + 0x3F * EachByte) & ~(low7 + 0x25 * EachByte) & ~packed & high;
    return packed | capital >> 2;
}

// The high bits of the first n bytes of a number, n below 8.
uint64_t HighBits(std::size_t n) {
    return ((uint64_t{1} << (8 * n)) - 1) & (0x80 * EachByte);
}

// The first n bytes of text in a number, the first byte lowest, n below 8.
uint64_t PackedBytes(std::string_view text, std::size_t n) {
    const auto byte = [&](std::size_t i) {
        return uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
    };
    if (n < 4) {
        uint64_t packed = 0;
        for (std::size_t i = 0; i < n; ++i)
            packed |= byte(i);
        return packed;
    }
    // The first four and the last four, which overlap where n is below 8.
    const auto four = [&](std::size_t at) {
        return uint64_t{static_cast<unsigned char>(text[at])} |
               uint64_t{static_cast<unsigned char>(text[at + 1])} << 8 |
               uint64_t{static_cast<unsigned char>(text[at + 2])} << 16 |
               uint64_t{static_cast<unsigned char>(text[at + 3])} << 24;
    };
    return four(0) | four(n - 4) << (8 * (n - 4));
}

// A text as the checks compare it: letters in one case. Short texts (most codes and identifiers)
// pack into one number with their length, which makes a quick key; longer ones stay texts.
struct Key {
    uint64_t Packed = 0; // 0: the text is longer than Short
    std::string Long;

    static constexpr std::size_t Short = 7;
    explicit Key(std::string_view text) {
        if (text.size() > Short) {
            Long.resize(text.size());
            std::transform(text.begin(), text.end(), Long.begin(), FoldCase);
            return;
        }
        const std::size_t n = text.size();
        Packed = uint64_t{n + 1} << 56 | SmallLetters(PackedBytes(text, n), HighBits(n));
    }
};

// Slots of zero bytes, straight from the system: the pages come only where written to, in large
// pages where the system has them, and need no clearing of their own.
template <typename T> class ZeroedSlots {
public:
    ZeroedSlots() = default;
    explicit ZeroedSlots(std::size_t n)
        : Data(static_cast<T*>(memory::ReserveSlots(n * sizeof(T)))), Count(n) {}
    ~ZeroedSlots() {
        if (Data)
            memory::ReleaseSlots(Data, Count * sizeof(T));
    }
    ZeroedSlots(const ZeroedSlots&) = delete;
    ZeroedSlots& operator=(const ZeroedSlots&) = delete;
    void swap(ZeroedSlots& other) noexcept {
        std::swap(Data, other.Data);
        std::swap(Count, other.Count);
    }
    std::size_t size() const { return Count; }
    bool empty() const { return Count == 0; }
    T& operator[](std::size_t i) { return Data[i]; }
    const T& operator[](std::size_t i) const { return Data[i]; }

private:
    T* Data = nullptr;
    std::size_t Count = 0;
};

// Packed keys (never 0) with a value each, in one flat table searched from the key's hash on; a
// key and its value lie side by side, so that a search waits for memory once.
template <typename Number, typename Value> class PackedTable {
public:
    // The value of key, or null when it is not in the table.
    const Value* Find(Number key) const {
        if (Slots.empty())
            return nullptr;
        for (std::size_t at = Slot(key);; at = (at + 1) & (Slots.size() - 1)) {
            if (Slots[at].Key == key)
                return &Slots[at].Val;
            if (Slots[at].Key == 0)
                return nullptr;
        }
    }
    // Adds key with value unless it is there; the value the table holds for it, and whether it was
    // added.
    std::pair<const Value*, bool> Add(Number key, const Value& value) {
        if (4 * (Count + 1) > 3 * Slots.size())
            Grow(Slots.size() * 2);
        std::size_t at = Slot(key);
        for (; Slots[at].Key != 0; at = (at + 1) & (Slots.size() - 1))
            if (Slots[at].Key == key)
                return {&Slots[at].Val, false};
        Slots[at] = {key, value};
        ++Count;
        return {&Slots[at].Val, true};
    }
    void Clear() {
        ZeroedSlots<Entry>().swap(Slots);
        Count = 0;
    }
    // Asks for the slot of key to be brought near the processor before it is searched.
    void Prefetch(Number key) const {
        if (!Slots.empty())
            BringNear(&Slots[Slot(key)]);
    }
    // Room for n keys without growing.
    void Reserve(std::size_t n) {
        if (4 * n > 3 * Slots.size())
            Grow(n * 4 / 3);
    }

private:
    struct Entry {
        Number Key = 0;
        Value Val{};
    };

    // The top bits of the key times the golden ratio: every bit of the key moves them.
    std::size_t Slot(Number key) const {
        return static_cast<std::size_t>((uint64_t{key} * 0x9E3779B97F4A7C15ull) >> Shift);
    }
    // To at least size slots, a power of two.
    void Grow(std::size_t size) {
        std::size_t slots = 1024;
        while (slots < size)
            slots *= 2;
        ZeroedSlots<Entry> old(slots);
        old.swap(Slots);
        Shift = 64;
        for (std::size_t n = Slots.size(); n > 1; n /= 2)
            --Shift;
        Count = 0;
        for (std::size_t i = 0; i < old.size(); ++i)
            if (old[i].Key != 0)
                Add(old[i].Key, old[i].Val);
    }

    ZeroedSlots<Entry> Slots;
    std::size_t Count = 0;
    int Shift = 64;
};

// A text of one to four characters, none of them NUL, in one case, packed into a number that
// is never 0; 0 for any other text.
uint32_t Code4(std::string_view text) {
    const std::size_t n = text.size();
    if (n - 1 >= 4) // none, or more than four
        return 0;
    const uint64_t packed = PackedBytes(text, n);
    const uint64_t high = HighBits(n);
    // A byte's high bit tells whether it is NUL.
    const uint64_t low7 = packed & (0x7F * EachByte);
    if ((~(low7 + 0x7F * EachByte) & ~packed & high) != 0)
        return 0;
    return static_cast<uint32_t>(SmallLetters(packed, high));
}

// A code of one to four letters and digits, as nearly every airport's is, letter case ignored, as
// a number below CodeBits; -1 for any other text.
constexpr int32_t CodeBits = 37 * 37 * 37 * 37;
// The figure of each character in such a code: 1 to 10 for the digits, 11 to 36 for the letters
// of either case, 0 for any other character.
constexpr std::array<uint8_t, 256> CodeFigures = [] {
    std::array<uint8_t, 256> figures{};
    for (int c = '0'; c <= '9'; ++c)
        figures[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - '0' + 1);
    for (int c = 'a'; c <= 'z'; ++c)
        figures[static_cast<std::size_t>(c)] = figures[static_cast<std::size_t>(c - 'a' + 'A')] =
            static_cast<uint8_t>(c - 'a' + 11);
    return figures;
}();
int32_t CodeBit(std::string_view text) {
    const std::size_t n = text.size();
    if (n - 1 >= 4) // none, or more than four
        return -1;
    // A code shorter than four has the figure 0 in the places after it.
    const auto figure = [&](std::size_t i) {
        return i < n ? int32_t{CodeFigures[static_cast<unsigned char>(text[i])]} : 0;
    };
    const int32_t f0 = figure(0), f1 = figure(1), f2 = figure(2), f3 = figure(3);
    if (f0 == 0 || (n > 1 && f1 == 0) || (n > 2 && f2 == 0) || (n > 3 && f3 == 0))
        return -1;
    return ((f0 * 37 + f1) * 37 + f2) * 37 + f3;
}

// A set of texts, letter case ignored. Codes of letters and digits, which nearly all are, take
// one bit each of a table (234 KB) that the searches of a whole set keep near the processor; codes
// of up to four other characters the smallest table.
class TextSet {
public:
    void Clear() {
        std::fill(Bits.begin(), Bits.end(), 0);
        Short.Clear();
        Packed.Clear();
        Long.clear();
    }
    void Add(std::string_view text) {
        if (const int32_t bit = CodeBit(text); bit >= 0) {
            if (Bits.empty())
                Bits.resize((CodeBits + 63) / 64);
            Bits[static_cast<std::size_t>(bit) / 64] |= uint64_t{1} << (bit % 64);
            return;
        }
        if (const uint32_t code = Code4(text)) {
            Short.Add(code, 1);
            return;
        }
        Key key(text);
        if (key.Packed)
            Packed.Add(key.Packed, 1);
        else
            Long.insert(std::move(key.Long));
    }
    bool Holds(std::string_view text) const {
        if (const int32_t bit = CodeBit(text); bit >= 0)
            return !Bits.empty() && (Bits[static_cast<std::size_t>(bit) / 64] >> (bit % 64) & 1);
        if (const uint32_t code = Code4(text))
            return Short.Find(code) != nullptr;
        const Key key(text);
        return key.Packed ? Packed.Find(key.Packed) != nullptr : Long.count(key.Long) > 0;
    }

private:
    std::vector<uint64_t> Bits;
    PackedTable<uint32_t, uint8_t> Short;
    PackedTable<uint64_t, uint8_t> Packed;
    std::unordered_set<std::string> Long;
};

// Where a text was first seen: the index of its file among the files seen, and its line.
struct Place {
    uint32_t File = 0;
    uint32_t Line = 0;
};

// Texts with the place each was first seen, letter case ignored.
class FirstPlaces {
public:
    void Reserve(std::size_t n) { Packed.Reserve(n); }
    void Prefetch(std::string_view text) const {
        const Key key(text);
        if (key.Packed)
            Packed.Prefetch(key.Packed);
    }
    // The place text was first seen, or none when this is the first time (place is kept then).
    const Place* Seen(std::string_view text, const Place& place) {
        Key key(text);
        if (key.Packed) {
            const auto [at, added] = Packed.Add(key.Packed, place);
            return added ? nullptr : at;
        }
        const auto [at, added] = Long.try_emplace(std::move(key.Long), place);
        return added ? nullptr : &at->second;
    }

private:
    PackedTable<uint64_t, Place> Packed;
    std::unordered_map<std::string, Place> Long;
};

// Words, letter case ignored. Each of up to four characters is held as Code4 packs it, so that a
// text of up to four is matched with a few comparisons of numbers; a longer one is compared as
// text with the longer words.
class WordSet {
public:
    template <std::size_t N> explicit WordSet(const std::array<std::string_view, N>& words) {
        static_assert(N <= MostCodes, "a list of the window has at most eight words");
        std::size_t coded = 0;
        for (const std::string_view word : words) {
            if (const uint32_t code = Code4(word))
                Codes[coded++] = code;
            else
                Longer.push_back(word);
        }
    }
    bool Holds(std::string_view text) const {
        if (const uint32_t code = Code4(text)) {
            // All at once: the places without a word hold 0, which no text's code is.
#if defined(__SSE2__)
            const __m128i wanted = _mm_set1_epi32(static_cast<int>(code));
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&Codes[0]));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&Codes[4]));
            return _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi32(first, wanted),
                                                  _mm_cmpeq_epi32(second, wanted))) != 0;
#else
            bool held = false;
            for (const uint32_t word : Codes)
                held |= word == code;
            return held;
#endif
        }
        for (const std::string_view word : Longer)
            if (EqualsNoCase(word, text))
                return true;
        return false;
    }

private:
    static constexpr std::size_t MostCodes = 8;
    std::array<uint32_t, MostCodes> Codes{};
    std::vector<std::string_view> Longer;
};

// Calls take with each sixth field of legs (the fields numbered 5, 11, 17 ... from 0), where the
// airports lie; the number of fields.
template <typename Take> std::size_t ForEachAirportField(std::string_view legs, Take take) {
    std::size_t fields = 0;
    int sixth = 0; // the number of the field cut next, counted up to 6
    std::size_t from = 0;
    const auto cut = [&](std::size_t at) {
        ++fields;
        if (++sixth == 6) {
            sixth = 0;
            take(legs.substr(from, at - from));
        }
        from = at + 1;
        return true;
    };
    ForEachComma(legs, cut);
    cut(legs.size());
    return fields;
}

std::string FrequencyList() {
    std::string list;
    for (const std::string_view word : FrequencyWords)
        list += (list.empty() ? "" : " ") + std::string(word);
    return list;
}

} // namespace

bool IsDiagnosticCode(std::string_view code) {
    return std::any_of(DiagnosticKinds.begin(), DiagnosticKinds.end(),
                       [code](const DiagnosticKind& kind) { return kind.Code == code; });
}

namespace {
void AppendDiagnosticText(std::string_view file, int64_t line, Severity level,
                          std::initializer_list<std::string_view> message, std::string_view code,
                          std::string& text) {
    const Decimal number(line);
    const std::string_view severity = level == Severity::Error ? ": error: " : ": warning: ";
    std::size_t size =
        file.size() + 1 + std::string_view(number).size() + severity.size() + 2 + code.size() + 1;
    for (const std::string_view part : message)
        size += part.size();
    // One growth and plain copies: a run may make a diagnostic of every line.
    const std::size_t at = text.size();
    text.resize(at + size);
    char* out = &text[at];
    const auto put = [&out](std::string_view part) {
        if (!part.empty())
            std::memcpy(out, part.data(), part.size());
        out += part.size();
    };
    put(file);
    *out++ = ':';
    put(number);
    put(severity);
    for (const std::string_view part : message)
        put(part);
    *out++ = ' ';
    *out++ = '[';
    put(code);
    *out++ = ']';
}
} // namespace

void AppendDiagnosticText(const Diagnostic& d, std::string& text) {
    AppendDiagnosticText(d.File, d.Line, d.Level, {d.Message}, d.Code, text);
}

void AppendDiagnosticText(std::string_view file, int64_t line, std::size_t kind,
                          std::initializer_list<std::string_view> parts, std::string& text) {
    AppendDiagnosticText(file, line, DiagnosticKinds[kind].Level, parts, DiagnosticKinds[kind].Code,
                         text);
}

std::string DiagnosticText(const Diagnostic& d) {
    std::string text;
    AppendDiagnosticText(d, text);
    return text;
}

struct SetChecker::Lists {
    std::vector<bool> Aircraft = std::vector<bool>(65536);
    TextSet Airports;
    FirstPlaces Identifiers;
    const WordSet Frequencies{FrequencyWords};
    const WordSet FlightRules{FlightRuleWords};
    std::vector<std::string> Files; // the flight-plan files begun, for the places of identifiers
    std::vector<std::string> AircraftFiles; // the aircraft files whose numbers were checked
    std::string PlansFile, AircraftName, AirportsName;
};

SetChecker::SetChecker() : Known(std::make_unique<Lists>()) {}
SetChecker::~SetChecker() = default;

namespace {

// Tells sink of a diagnostic whose message is parts joined. d is the room it is made in, kept from
// one diagnostic to the next, so that telling one takes no allocation once it is large enough.
void TellParts(const DiagnosticSink& sink, Diagnostic& d, const std::string& file, int64_t line,
               Kind kind, std::initializer_list<std::string_view> parts) {
    const DiagnosticKind& k = DiagnosticKinds[kind];
    d.File.assign(file);
    d.Line = line;
    d.Level = k.Level;
    d.Code = k.Code;
    d.Message.clear();
    for (const std::string_view part : parts)
        d.Message.append(part);
    sink(d);
}

} // namespace

void SetChecker::BeginSet(const TrafficSet& set, const DiagnosticSink& sink) {
    Lists& k = *Known;
    Diagnostic made;
    const ListFiles lists = ListFilesOf(set.PlansFile, set.PlansFolder);
    k.PlansFile = set.PlansFile;
    k.AircraftName = FileName(lists.Aircraft);
    k.AirportsName = FileName(lists.Airports);
    k.Files.push_back(set.PlansFile);
    std::fill(k.Aircraft.begin(), k.Aircraft.end(), false);
    // An aircraft file that several sets share is told about once.
    const bool told = std::find(k.AircraftFiles.begin(), k.AircraftFiles.end(), lists.Aircraft) !=
                      k.AircraftFiles.end();
    if (!told)
        k.AircraftFiles.push_back(lists.Aircraft);
    std::unordered_map<int16_t, int64_t> firstLine;
    const int32_t lastAircraft = std::min(set.LastAircraft, set.AircraftTable.Size() - 1);
    for (int32_t i = 0; i <= lastAircraft; ++i) {
        const int16_t tag = set.AircraftTable[i].Atag;
        if (tag == 0)
            continue; // an empty line
        const auto [at, added] = firstLine.try_emplace(tag, i + 1);
        if (!added && !told)
            TellParts(sink, made, lists.Aircraft, i + 1, DuplicateAircraftNumber,
                      {"aircraft number ", Decimal(tag), " is listed before, at line ",
                       Decimal(at->second)});
        k.Aircraft[static_cast<uint16_t>(tag)] = true;
    }
    // A line of a real set takes about a hundred bytes.
    k.Identifiers.Reserve(static_cast<std::size_t>(
        std::clamp<int64_t>(set.PlansStamp.Size / 100, 0, PlanSlots::Capacity)));
    k.Airports.Clear();
    const int32_t lastAirport = std::min(set.LastAirport, set.AirportTable.Size() - 1);
    for (int32_t i = 0; i <= lastAirport; ++i)
        k.Airports.Add(TrimBlanks(set.AirportTable[i]));
}

void SetChecker::CheckLines(const TrafficSet& set, int64_t firstLine, const DiagnosticSink& sink) {
    Findings found;
    FindInLines(set, firstLine, found);
    Tell(found, sink);
}

void SetChecker::FindInLines(const TrafficSet& set, int64_t firstLine, Findings& found) {
    Lists& k = *Known;
    const auto file = static_cast<uint32_t>(k.Files.size() - 1);
    std::string shown;
    std::size_t kept = 0;
    int64_t line = firstLine;
    const auto add = [&](Kind kind, std::string_view text = {}, int64_t number = 0,
                         uint32_t where = 0) {
        found.Found.push_back({line, kind, text, number, where});
    };
    const auto keptLine = [&] {
        if (DoubtfulLine(set.KeptLines[kept].Text, shown)) {
            add(DoubtfulLineKind, {}, static_cast<int64_t>(found.Shown.size()));
            found.Shown.push_back(shown);
        }
        ++kept;
        ++line;
    };
    const int32_t last = std::min(set.LastPlan, set.PlanTable.Size() - 1);
    // The identifiers are searched at random in a large table, each search a wait for memory:
    // the search of a plan a few ahead is asked for before this one's is made. (The airports' bit
    // table is small enough to stay near.)
    constexpr int32_t Ahead = 8;
    for (int32_t i = 0; i <= last; ++i, ++line) {
        if (i + 2 * Ahead <= last) // the line whose search is asked for next
            BringNear(set.PlanTable[i + 2 * Ahead].Text().data());
        if (i + Ahead <= last)
            k.Identifiers.Prefetch(set.PlanTable[i + Ahead].TailNum());
        while (kept < set.KeptLines.size() && set.KeptLines[kept].Before <= i)
            keptLine();
        const FlightPlan& plan = set.PlanTable[i];
        if (!k.Aircraft[static_cast<uint16_t>(plan.Tag())])
            add(UnknownAircraft, {}, plan.Tag());
        const std::string_view home = TrimBlanks(plan.HPort());
        if (!k.Airports.Holds(home))
            add(UnknownHomeAirport, home);
        // Flights of six fields: departure, arrival, level, F or R, number, airport; the home
        // airport closes the last, so the legs hold one field less than whole flights. An airport
        // is told of as it comes, and taken back when the legs turn out not to split so.
        const std::size_t before = found.Found.size();
        const std::size_t fields = ForEachAirportField(plan.TheRest(), [&](std::string_view field) {
            const std::string_view airport = TrimBlanks(field);
            if (!k.Airports.Holds(airport))
                add(UnknownAirport, airport);
        });
        if (fields % 6 != 5) {
            found.Found.resize(before);
            add(LegsShape);
        }
        if (!plan.TailNum().empty())
            if (const Place* first =
                    k.Identifiers.Seen(plan.TailNum(), {file, static_cast<uint32_t>(line)}))
                add(DuplicateIdentifier, plan.TailNum(), first->Line, first->File);
        if (plan.Pcent() < 0 || plan.Pcent() > 100)
            add(PercentageKind, {}, plan.Pcent());
        if (!k.Frequencies.Holds(plan.Rate()))
            add(FrequencyKind, plan.Rate());
        if (!k.FlightRules.Holds(plan.Ivfr()))
            add(FlightRulesKind, plan.Ivfr());
    }
    while (kept < set.KeptLines.size())
        keptLine();
}

void SetChecker::Tell(const Findings& found, const DiagnosticSink& sink) const {
    Diagnostic made;
    Tell(found, [&](const std::string& file, int64_t line, std::size_t kind,
                    std::initializer_list<std::string_view> parts) {
        TellParts(sink, made, file, line, static_cast<Kind>(kind), parts);
    });
}

void SetChecker::Tell(const Findings& found, const DiagnosticPartsSink& sink) const {
    const Lists& k = *Known;
    for (const Findings::Finding& f : found.Found) {
        const auto tell = [&](std::initializer_list<std::string_view> parts) {
            sink(k.PlansFile, f.Line, static_cast<std::size_t>(f.Kind), parts);
        };
        switch (f.Kind) {
        case DoubtfulLineKind:
            tell({"There may be a problem in this line: ",
                  found.Shown[static_cast<std::size_t>(f.Number)]});
            break;
        case UnknownAircraft:
            tell({"aircraft number ", Decimal(f.Number), " is not in ", k.AircraftName});
            break;
        case UnknownHomeAirport:
            tell({"home airport ", f.Text, " is not in ", k.AirportsName});
            break;
        case UnknownAirport:
            tell({"airport ", f.Text, " of the legs is not in ", k.AirportsName});
            break;
        case DuplicateIdentifier:
            tell({"aircraft identifier ", f.Text, " is used before, at ", k.Files[f.File], ":",
                  Decimal(f.Number)});
            break;
        case PercentageKind:
            tell({"percentage ", Decimal(f.Number), " is outside 0 to 100"});
            break;
        case FrequencyKind:
            tell({"flight frequency ", f.Text, " is none of ", FrequencyList()});
            break;
        case FlightRulesKind:
            tell({"flight rules ", f.Text, " are neither IFR nor VFR"});
            break;
        case LegsShape:
            tell({DiagnosticKinds[LegsShape].Example});
            break;
        default:
            break;
        }
    }
}

} // namespace tarvik
