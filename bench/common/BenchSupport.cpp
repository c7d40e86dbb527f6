#include "bench/common/BenchSupport.h"

std::string Grouped(double number) {
    bool negative = number < 0;
    std::string digits =
        std::to_string(static_cast<long long>((negative ? -number : number) + 0.5));
    std::string grouped = negative ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}
