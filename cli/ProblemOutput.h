#pragma once
// How brivolex-cli prints the problem collection: an aligned table with a summary by
// category, or one JSON object.
#include <nlohmann/json_fwd.hpp>
#include <string>

struct App;

std::string ProblemTable(App& app);
std::string ProblemJson(App& app);
// A JSON string; text that is not UTF-8 throughout is taken as Windows-1252.
nlohmann::ordered_json JsonText(const std::string& text);
// JSON as brivolex-cli prints it: a blank after each colon and comma, every element
// of an array on a line of its own, objects on one line.
std::string JsonLayout(const nlohmann::ordered_json& value);
