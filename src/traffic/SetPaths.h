#pragma once
// Where a traffic set's files are: the flight-plan file that a file or folder the user gives
// names, the aircraft and airport files read with it, and the sets of a folder.

#include <string>
#include <vector>

namespace tarvik {

// The last part of a path: the name of the file or folder it names.
std::string FileName(const std::string& path);

// The aircraft and airport files of a set.
struct ListFiles {
    std::string Aircraft;
    std::string Airports;
};

// The lists read with the flight-plan file plansFile from folder. For a flight-plan file named
// FlightPlans_<suffix>.txt (letter case ignored) each is <Aircraft or Airports>_<suffix>.txt when
// folder holds it; otherwise Aircraft.txt and Airports.txt. Names are found as PathInFolder finds
// them.
ListFiles ListFilesOf(const std::string& plansFile, const std::string& folder);

// The flight-plan file that path names: path itself when it is no folder; in a folder its
// FlightPlans.txt (letter case ignored), or else its one FlightPlans_<suffix>.txt. Error says why a
// folder names none.
struct PlansFileChoice {
    std::string File;
    std::string Error; // set when File is empty
};
PlansFileChoice PlansFileOf(const std::string& path);

// The folder of a path, without a trailing separator; the current folder for a bare file name.
std::string GetFolder(const std::string& path);

// folder + separator + name, or the file in folder whose name differs from name only in the case
// of its letters when there is no file of that exact name.
std::string PathInFolder(const std::string& folder, const std::string& name);

// The flight-plan files of the sets in folder, in name order: its FlightPlans.txt and each
// FlightPlans_<suffix>.txt (letter case ignored). Error says why the folder could not be read.
std::vector<std::string> SetsInFolder(const std::string& folder, std::string& error);

} // namespace tarvik
