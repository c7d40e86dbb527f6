#pragma once
// The only way into the problem collection.
#include "problems/ProblemCollection.h"

struct App;

// Drops registry problems of value types 2 and 7 and problems that point at missing,
// removable, network or CD-ROM drives, logs every decision to the problem log and
// appends the rest to app.Problems.
void addProblem(App& app, const ProblemRef& record);
