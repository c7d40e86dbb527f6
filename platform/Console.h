#pragma once
// The console of a command-line front end: UTF-8 output that shows correctly on a
// terminal, terminal detection, and Ctrl-C as a request to cancel.
#include <string>

namespace console {

void WriteOut(const std::string& utf8);
void WriteErr(const std::string& utf8);
bool ErrIsTerminal();
bool InIsTerminal();
// One line of standard input, without its line end; false at its end.
bool ReadLine(std::string& line);
int TerminalWidth();  // columns of the terminal of stderr, 80 when unknown
// After this, Ctrl-C no longer ends the process: it sets the flag below.
void CatchInterrupt();
bool InterruptRequested();

}  // namespace console
