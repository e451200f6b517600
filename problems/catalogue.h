// The problems compiled into the program, as record texts (problems/catalogue.txt).
#pragma once

constexpr int catalogueSize = 10;

// Entry 0 is empty; entries 1 to catalogueSize are the records of problems 1 to catalogueSize.
extern const char* const ProblemCatalogue[catalogueSize + 1];
