#include "render/entitystream.h"

#include "render/bytecursor.h"

#include <algorithm>
#include <cmath>

namespace plavik {

namespace {

bool Finite(const JwwEntity& e) {
    for (const double v : e.v)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

EntityStream::EntityStream(EntityStream&&) noexcept = default;
EntityStream& EntityStream::operator=(EntityStream&&) noexcept = default;
EntityStream::~EntityStream() = default;

std::optional<EntityStream> EntityStream::Open(FileBytes& file) {
    const FormatRow* row = file.IsOpen() ? RowOfContent(file.Prefix(kRecognitionPrefix)) : nullptr;
    if (!row)
        return std::nullopt;
    EntityStream s;
    s.format_ = row->format;
    s.sourceBytes_ = file.Size();
    StreamContents contents;
    row->readStream(file, contents);
    s.doc_ = std::move(contents.doc);
    s.held_ = std::move(contents.held);
    s.sheet_ = contents.sheet;
    s.cut_ = contents.cut;
    if (contents.walkFile)
        s.file_ = &file;
    // Records of numbers that are not finite draw nothing, as in today's formats.
    std::erase_if(s.held_, [](const JwwEntity& e) { return !Finite(e); });
    return s;
}

void EntityStream::ForEach(const std::function<bool(const JwwEntity&)>& visit) {
    if (file_) {
        std::size_t walked = 0;
        ForEachJwwEntity(ByteCursor(*file_), doc_, [&](const JwwEntity& e) {
            if (walked++ == kMostWalked) {
                cut_ = true;
                return false;
            }
            return visit(e);
        });
        return;
    }
    for (const JwwEntity& e : held_)
        if (!visit(e))
            return;
}

} // namespace plavik
