#include "listing/keptbytes.h"

#include <cstring>

namespace plavik {

KeptBytes::KeptBytes(PackedArena& arena, std::size_t limit)
    : arena_(arena), maxBlocks_(limit / PackedArena::kBlockBytes) {}

KeptBytes::Kept KeptBytes::Keep(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kBlock = PackedArena::kBlockBytes;
    if (bytes.size() > kBlock / 8)
        return {};
    Kept kept;
    std::uint8_t* at = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (filling_ >= 0 && blocks_[static_cast<std::size_t>(filling_)].used + bytes.size() > kBlock)
            StopFilling();
        if (filling_ < 0) {
            if (blocks_.size() >= maxBlocks_)
                return {};
            blocks_.push_back({arena_.TakeBlock()});
            filling_ = static_cast<int>(blocks_.size() - 1);
        }
        Block& block = blocks_[static_cast<std::size_t>(filling_)];
        at = block.memory.get() + block.used;
        block.used += bytes.size();
        ++block.unreleased;
        kept.block = filling_;
    }
    // The place is this caller's alone now.
    if (!bytes.empty())
        std::memcpy(at, bytes.data(), bytes.size());
    kept.bytes = {at, bytes.size()};
    return kept;
}

void KeptBytes::Close() {
    std::lock_guard lock(mutex_);
    StopFilling();
}

void KeptBytes::StopFilling() {
    if (filling_ < 0)
        return;
    Block& block = blocks_[static_cast<std::size_t>(filling_)];
    block.filling = false;
    GiveBackWhenDone(block);
    filling_ = -1;
}

void KeptBytes::Release(const Kept& kept) {
    if (kept.block < 0)
        return;
    std::lock_guard lock(mutex_);
    Block& block = blocks_[static_cast<std::size_t>(kept.block)];
    --block.unreleased;
    GiveBackWhenDone(block);
}

void KeptBytes::GiveBackWhenDone(Block& block) {
    if (!block.filling && block.unreleased == 0 && block.memory)
        arena_.GiveBack(std::move(block.memory));
}

} // namespace plavik
