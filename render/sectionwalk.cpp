#include "render/sectionwalk.h"

#include <cstring>

namespace plavik {

PoolStrings::PoolStrings(const BytesAt& bytes, std::uint64_t start, std::uint64_t end)
    : bytes_(bytes), pos_(start), end_(std::max(start, end)) {}

void PoolStrings::SkipString() {
    // Looks for the NUL a block at a time.
    constexpr std::uint64_t kStep = 1 << 16;
    while (pos_ < end_) {
        const auto data = bytes_(pos_, static_cast<std::size_t>(std::min(end_ - pos_, kStep)));
        if (data.empty()) { // the file ended early: the pool ends there
            end_ = pos_;
            break;
        }
        const void* nul = std::memchr(data.data(), 0, data.size());
        if (nul) {
            pos_ += static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(nul) - data.data()) + 1;
            return;
        }
        pos_ += data.size();
    }
}

std::string_view PoolStrings::Next(std::size_t most) {
    if (inString_)
        SkipString();
    inString_ = false;
    if (pos_ >= end_)
        return {};
    const auto data = bytes_(pos_, static_cast<std::size_t>(std::min<std::uint64_t>(end_ - pos_, most + 1)));
    if (data.empty()) {
        end_ = pos_;
        return {};
    }
    const std::string_view head = AsText(data);
    const auto nul = head.find('\0');
    if (nul != std::string_view::npos) {
        pos_ += nul + 1;
        return head.substr(0, nul);
    }
    inString_ = true;
    return head;
}

} // namespace plavik
