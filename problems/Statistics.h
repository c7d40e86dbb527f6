#pragma once
struct App;

// Stores the size of the problem collection, the number of its registry problems and
// the current date and time in the options.
void SaveStatistics(App& app);
