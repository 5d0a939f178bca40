#include "io/occt_progress.hpp"

#include <algorithm>

namespace brontile {
namespace {

// About a millisecond of formatted output between two checks.
constexpr std::streamsize kBytesPerCheck = 256 * 1024;

}  // namespace

Standard_Boolean OcctProgress::UserBreak() {
    if (stopped_) return Standard_True;
    try {
        progress_.check();
    } catch (const Cancelled&) {
        // Open CASCADE's own code sits between here and the export: it is told, not thrown at.
        stopped_ = true;
    }
    return stopped_;
}

void OcctProgress::Show(const Message_ProgressScope&, const Standard_Boolean) {
    if (stopped_) return;
    try {
        progress_.setFraction(from_ + (to_ - from_) * std::clamp(GetPosition(), 0.0, 1.0));
    } catch (const Cancelled&) {
        stopped_ = true;
    }
}

bool CheckedStreamBuffer::passed(std::streamsize count) {
    if (stopped_) return false;
    sinceCheck_ += count;
    if (sinceCheck_ < kBytesPerCheck) return true;
    sinceCheck_ = 0;
    try {
        progress_.check();
    } catch (const Cancelled&) {
        stopped_ = true;
    }
    return !stopped_;
}

std::streamsize CheckedStreamBuffer::xsputn(const char* bytes, std::streamsize count) {
    if (!passed(count)) return 0;
    return target_.sputn(bytes, count);
}

CheckedStreamBuffer::int_type CheckedStreamBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (!passed(1)) return traits_type::eof();
    return target_.sputc(traits_type::to_char_type(c));
}

}  // namespace brontile
