#include "core/Errors.h"

#include <exception>
#include <new>

std::string ErrorDescription(int32_t number) {
    switch (number) {
        case kErrInvalidCall: return "Invalid procedure call or argument";
        case kErrOverflow: return "Overflow";
        case kErrOutOfMemory: return "Out of memory";
        case kErrSubscript: return "Subscript out of range";
        case kErrTypeMismatch: return "Type mismatch";
        case kErrInternal: return "Internal error";
        case kErrFileNotFound: return "File not found";
        case kErrPermission: return "Permission denied";
        case kErrPathFileAccess: return "Path/File access error";
        case kErrPathNotFound: return "Path not found";
        case kErrObjectNotSet: return "Object variable or With block variable not set";
        case kErrCannotCreate: return "ActiveX component can't create object";
        default: return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int32_t number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(int32_t number, const std::string& description)
    : std::runtime_error(description), number_(number), description_(description) {}

void PassOnOutOfMemory() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
    }
}

ErrInfo CurrentError() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
        return {kErrOutOfMemory, ErrorDescription(kErrOutOfMemory)};
    } catch (const std::out_of_range&) {
        return {kErrSubscript, ErrorDescription(kErrSubscript)};
    } catch (const std::exception& e) {
        return {kErrInternal, e.what()};
    } catch (...) {
        return {kErrInternal, ErrorDescription(kErrInternal)};
    }
}
