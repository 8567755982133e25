// The bytes of small files read whole while they were checked, kept until their thumbnails are drawn so
// that each file is opened and read once.
#pragma once

#include "platform/systemcolors.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace plavik {

// The bytes lie in blocks taken from the thumbnails' arena, which takes each block back once all its
// files are drawn: the thumbnails then fill the memory the bytes held. Files kept in list order are
// drawn block by block, so the bytes and the thumbnails seldom take more than the thumbnails alone,
// and little memory is touched for the first time (dear on some systems).
class KeptBytes {
public:
    // A file's kept bytes; block is -1 when they are not kept.
    struct Kept {
        std::span<const std::uint8_t> bytes;
        int block = -1;
    };

    // Keeps no more than limit bytes, in whole blocks.
    KeptBytes(PackedArena& arena, std::size_t limit);
    KeptBytes(const KeptBytes&) = delete;
    KeptBytes& operator=(const KeptBytes&) = delete;

    // A copy of bytes, or nothing kept once the limit is reached or for more than an eighth of a block.
    // Safe to call from several threads.
    Kept Keep(std::span<const std::uint8_t> bytes);
    // Every file has been kept that will be: the block being filled is filled no more.
    void Close();
    // The file is drawn and its bytes no longer needed.
    void Release(const Kept& kept);

private:
    struct Block {
        std::shared_ptr<std::uint8_t> memory;
        std::size_t used = 0;
        std::size_t unreleased = 0; // files kept in it and not released
        bool filling = true;
    };
    // With mutex_ held: the block being filled is filled no more.
    void StopFilling();
    // With mutex_ held: gives the block back to the arena when it is neither filled nor needed any more.
    void GiveBackWhenDone(Block& block);

    PackedArena& arena_;
    std::size_t maxBlocks_;
    std::mutex mutex_;
    std::vector<Block> blocks_;
    int filling_ = -1; // the block being filled
};

} // namespace plavik
