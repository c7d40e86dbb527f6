#pragma once
// Run-time failures. A procedure that "passes a failure to its caller" throws a
// RuntimeError; procedures that contain failures catch everything and turn it into
// the failure number and description they log, with CurrentError().
#include <cstdint>
#include <stdexcept>
#include <string>

// The classic run-time error numbers the program reports.
enum ErrorNumber : int32_t {
    kErrInvalidCall = 5,      // Invalid procedure call or argument
    kErrOverflow = 6,         // Overflow
    kErrOutOfMemory = 7,      // Out of memory
    kErrSubscript = 9,        // Subscript out of range
    kErrTypeMismatch = 13,    // Type mismatch
    kErrInternal = 51,        // Internal error
    kErrFileNotFound = 53,    // File not found
    kErrPermission = 70,      // Permission denied
    kErrPathFileAccess = 75,  // Path/File access error
    kErrPathNotFound = 76,    // Path not found
    kErrObjectNotSet = 91,    // Object variable or With block variable not set
    kErrCannotCreate = 429,   // ActiveX component can't create object
};

// The description the classic runtime gives for one of its error numbers.
std::string ErrorDescription(int32_t number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int32_t number);
    RuntimeError(int32_t number, const std::string& description);
    int32_t number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    int32_t number_;
    std::string description_;
};

struct ErrInfo {
    int32_t number = 0;
    std::string description;
};

// Inside a catch block: the number and description of the exception being handled.
ErrInfo CurrentError();

// Inside a catch block that contains a failure: rethrows std::bad_alloc, so that running
// out of memory reaches the scan sequence, which ends the scan, instead of passing for
// the failure of one item; returns for any other failure.
void PassOnOutOfMemory();

// Runs one step of a procedure that skips a failing step and goes on with the next;
// running out of memory still ends the procedure.
template <typename Step>
void SkipFailure(Step step) {
    try {
        step();
    } catch (...) {
        PassOnOutOfMemory();
    }
}
