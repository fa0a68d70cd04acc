#pragma once
// The table rows kept in tests/data, for Qt Test data functions.

namespace tarvik::testing {

// Adds the cases of tests/data/<file> as the rows "input" and "expected" (and those two columns
// first when columns is set), each named by its file and line: one case a line, input and expected
// text parted by " => ", with the escapes \r, \n, \t, \\ and \xHH; empty lines and lines that
// start with "#" are skipped.
void AddRows(const char* file, bool columns = true);

} // namespace tarvik::testing
