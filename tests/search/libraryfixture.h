// A small library of figure and drawing files in a scratch folder, written by the test writers, and
// the search index beside it.
#pragma once

#include "platform/sjis.h"
#include "search/searchindex.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace plavik::test {

// Text as the files hold it: code page 932.
inline std::string Sjis(const char* utf8) {
    return EncodeSjis(QString::fromUtf8(utf8));
}

class Library {
public:
    Library() : root_(std::filesystem::path(dir_.path().toStdString()) / "library") {
        std::filesystem::create_directories(root_);
    }

    const std::filesystem::path& Root() const { return root_; }
    // The index file, beside the library.
    QString IndexFile() const { return dir_.filePath(QStringLiteral("index.sqlite")); }

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::filesystem::path path = root_ / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
        return Write(name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }

    // A figure of today holding the texts.
    std::filesystem::path Figure(const std::string& name, const std::vector<const char*>& texts) const {
        JwwWriter w = JwwWriter::Figure();
        w.Line(0, 0, 10, 10);
        for (const char* text : texts)
            w.Text(0, 0, 10, 0, Sjis(text));
        return Write(name, w.Bytes());
    }

private:
    QTemporaryDir dir_;
    std::filesystem::path root_;
};

// The file names of the hits, in their order.
inline std::vector<std::string> Names(const SearchResults& results) {
    std::vector<std::string> names;
    for (const SearchHit& hit : results.hits)
        names.push_back(hit.path.filename().string());
    return names;
}

} // namespace plavik::test
