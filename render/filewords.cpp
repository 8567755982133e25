#include "render/filewords.h"

#include "render/bytecursor.h"
#include "render/errors.h"
#include "render/jwc.h"
#include "render/jwcreader.h"
#include "render/jwk.h"
#include "render/jwkreader.h"
#include "render/jww.h"
#include "render/jwwdocument.h"
#include "render/jwwpaint.h"
#include "render/textcodes.h"

#include <algorithm>
#include <functional>

namespace plavik {

void ReadJwkWords(FileBytes& file, FileWords& words) {
    words.texts = ReadJwkFigure(file).strings;
}

void ReadJwcWords(FileBytes& file, FileWords& words) {
    JwcHeader header;
    JwcDrawing drawing = ReadJwcDrawing(file, header);
    words.memo = header.comment;
    words.texts = std::move(drawing.strings);
}

namespace {

// Takes the texts a walk visits: a top-level one each time, a definition's once however often it is
// placed, so that the words never grow beyond the file's own bytes.
class TextVisit {
public:
    TextVisit(const JwwDocument& doc, std::vector<std::string>& texts)
        : doc_(doc), texts_(texts), taken_(doc.blockEntities.size()) {}

    std::int64_t operator()(const JwwEntity& e, const Affine&) {
        if (e.shape != JwwShape::Text)
            return 0;
        const JwwEntity* members = doc_.blockEntities.data();
        const std::less<const JwwEntity*> before;
        if (!before(&e, members) && before(&e, members + doc_.blockEntities.size())) {
            const auto index = static_cast<std::size_t>(&e - members);
            if (taken_[index])
                return 0;
            taken_[index] = true;
        }
        std::string text = ShownText(doc_.Text(e));
        if (!text.empty())
            texts_.push_back(std::move(text));
        return 0;
    }

private:
    const JwwDocument& doc_;
    std::vector<std::string>& texts_;
    std::vector<bool> taken_;
};

// Every top-level entity on any layer, the references expanded as the renderer expands them.
void ReadTodaysWords(FileBytes& file, JwwKind kind, FileWords& words) {
    ByteCursor cursor(file);
    JwwKeep keep;
    keep.members = static_cast<std::uint64_t>(DrawBudget::Largest().Left());
    keep.topTexts = true;
    JwwDocument doc = ReadJwwDocument(cursor, kind, keep);
    words.memo = doc.memo;
    // Without references and dimensions the texts the read kept are all there is: no second pass.
    if (doc.references == 0 && doc.dimensions == 0) {
        for (const auto& [offset, size] : doc.topTexts)
            if (std::string text = ShownText(std::string_view(doc.textPool).substr(offset, size));
                !text.empty())
                words.texts.push_back(std::move(text));
        return;
    }
    doc.topTexts.clear();
    TextVisit visit(doc, words.texts);
    DrawBudget budget = DrawBudget::Largest();
    EntityWalk<TextVisit> walk(doc, visit, budget);
    ForEachJwwEntity(cursor, doc, [&](const JwwEntity& e) {
        walk.One(e, Affine{}, 0);
        return true;
    });
}

} // namespace

void ReadJwsWords(FileBytes& file, FileWords& words) {
    ReadTodaysWords(file, JwwKind::Figure, words);
}

void ReadJwwWords(FileBytes& file, FileWords& words) {
    ReadTodaysWords(file, JwwKind::Drawing, words);
}

std::optional<FileWords> ReadFileWords(FileBytes& file) {
    const FormatRow* row = file.IsOpen() ? RowOfContent(file.Prefix(kRecognitionPrefix)) : nullptr;
    if (!row)
        return std::nullopt;
    FileWords words;
    words.format = row->format;
    row->readWords(file, words);
    return words;
}

std::optional<FileWords> ReadFileWords(const std::filesystem::path& file) {
    FileBytes bytes(file);
    return ReadFileWords(bytes);
}

} // namespace plavik
