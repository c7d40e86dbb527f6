#pragma once
// The three logs beside the program: "app.log" (application log), "app2.log" (trace
// of this run) and "app3.log" (problems and changes, stamped with date and time).
// Each line is in its file when the call returns (one unbuffered write, through a
// file the file system keeps open); a line that cannot be written is lost and the
// caller goes on.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Errors.h"
#include "platform/Registry.h"

struct App;

void WriteLog(App& app, std::string_view text);
void ClearTrace(App& app);
void WriteTrace(App& app, std::string_view text);
void WriteProblemLog(App& app, std::string_view text);

// "Error in <procedure>, error <number>, <description>" to the application log.
void ReportError(App& app, std::string_view procedure, int32_t number,
                 std::string_view description);
void ReportError(App& app, std::string_view procedure, const ErrInfo& error);

// "<operation> for <hive>\<key> failed with error: (<code>) <system text>" to the trace.
void LogRegistryError(App& app, std::string_view operation, RegKey hive, std::string_view keyPath,
                      int32_t code);

// The system's message for an error code, without the final line feed; "" when the
// system has none. Throws RuntimeError 6 for a code outside the 16-bit range.
std::string GetSystemErrorText(App& app, int32_t code);
