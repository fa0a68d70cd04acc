#pragma once
// A full-size traffic set for timing: 500,001 plans, 3,001 aircraft and 100,001 airports, made
// once in a folder and reused while its stamp matches.

#include <string>

namespace bench {

inline constexpr int SetPlans = 500001;
inline constexpr int SetAircraft = 3001;
inline constexpr int SetAirports = 100001;

// Makes FlightPlans.txt, Aircraft.txt and Airports.txt in folder unless a complete set of this
// kind is there already. False, with the reason in why, when the files can't be written.
bool MakeBenchSet(const std::string& folder, std::string& why);

} // namespace bench
