#include "traffic/Tables.h"

#include <cstdint>

namespace tarvik {

std::string_view FlightPlan::Field(int f) const {
    const uint32_t begin = f == 0 ? 0 : End[f - 1];
    const uint32_t end = f == Fields - 1 ? static_cast<uint32_t>(Text.size()) : End[f];
    return std::string_view(Text).substr(begin, end - begin);
}

void FlightPlan::SetField(int f, std::string_view v) {
    const uint32_t begin = f == 0 ? 0 : End[f - 1];
    const uint32_t end = f == Fields - 1 ? static_cast<uint32_t>(Text.size()) : End[f];
    Text.replace(begin, end - begin, v.data(), v.size());
    const auto grow = static_cast<int64_t>(v.size()) - static_cast<int64_t>(end - begin);
    for (int i = f; i < Fields - 1; ++i)
        End[i] = static_cast<uint32_t>(static_cast<int64_t>(End[i]) + grow);
}

void FlightPlan::Assign(int16_t tag, std::string_view tailNum, int16_t pcent, std::string_view rate,
                        std::string_view ivfr, std::string_view hPort, std::string_view theRest,
                        std::string_view cment) {
    Tag = tag;
    Pcent = pcent;
    const std::string_view parts[Fields] = {tailNum, rate, ivfr, hPort, theRest, cment};
    std::size_t total = 0;
    for (const auto& p : parts)
        total += p.size();
    Text.clear();
    Text.reserve(total);
    for (int i = 0; i < Fields; ++i) {
        Text.append(parts[i].data(), parts[i].size());
        if (i < Fields - 1)
            End[i] = static_cast<uint32_t>(Text.size());
    }
}

} // namespace tarvik
