// find: the library search of the window on the command line, through the same index file.
#include "commands.h"
#include "exitcodes.h"
#include "json.h"
#include "output.h"

#include "search/searchindex.h"
#include "search/treewalk.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <string>

namespace plavik::tool {

namespace {

bool WriteOut(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

// A path on its own line: the bytes the system names the file by, so that other programs can open it.
std::string PathLine(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end()) + "\n";
#else
    return path.native() + "\n";
#endif
}

} // namespace

int RunFind(const FindOptions& o) {
    // The window's names, so that both find the index in the same cache folder.
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Plavik"));
    QStringList words;
    for (const std::string& word : o.words)
        words << QString::fromUtf8(word);

    SearchIndex index;
    const SearchResults results = index.Search(o.root, words.join(u' '));
    if (!results.rootReadable)
        return Fail(kExitReadFailed, ShowPath(o.root) + ": cannot be read");
    for (const SearchFailure& failure : results.failures)
        Fail(kExitOk, failure.file.toStdString() + ": " + failure.message.toStdString());

    bool written = true;
    if (o.json) {
        std::string text = "[";
        for (const SearchHit& hit : results.hits) {
            if (text.size() > 1)
                text += ",";
            text += JsonObject()
                        .Add("path", ShownPath(hit.path))
                        .Add("title", hit.title)
                        .Add("match", hit.match)
                        .Text();
        }
        written = WriteOut(text + "]\n");
    } else {
        for (const SearchHit& hit : results.hits)
            written = written && WriteOut(PathLine(hit.path));
    }
    if (!written || std::fflush(stdout) != 0)
        return Fail(kExitWriteFailed, "standard output cannot be written");
    return results.hits.empty() ? kExitNoMatches : kExitOk;
}

} // namespace plavik::tool
