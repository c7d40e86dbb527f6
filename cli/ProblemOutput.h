#pragma once
// How brivolex-cli prints the problem collection: an aligned table with a summary by
// category, or one JSON object.
#include <string>

struct App;

std::string ProblemTable(App& app);
std::string ProblemJson(App& app);
// A JSON string literal; bytes that are not UTF-8 are taken as Windows-1252.
std::string JsonString(const std::string& utf8);
