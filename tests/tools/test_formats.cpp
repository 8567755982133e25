// The table of formats drives every front end: each row's files are listed, offered by the open
// dialog's file types and read by the command line, recognised by their content before their name.
#include "listing/folderlisting.h"
#include "render/formats.h"
#include "render/jwc.h"
#include "render/jwk.h"
#include "support/jwcwriter.h"
#include "support/jwkwriter.h"
#include "support/jwwwriter.h"
#include "support/recordingcanvas.h"
#include "toolrunner.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>

namespace plavik::test {
namespace {

std::vector<std::uint8_t> FileOf(FileFormat format) {
    switch (format) {
    case FileFormat::Jwk:
        return JwkWriter().Line(0, 50, 100, 50).Bytes();
    case FileFormat::Jwc:
        return JwcWriter().Line(0, 183, 518, 183).Build();
    case FileFormat::Jws:
        return JwwWriter::Figure().Box(0, 0, 100, 100).Line(0, 0, 100, 100).Bytes();
    case FileFormat::Jww:
        return JwwWriter::Drawing().Line(0, 0, 100, 100).Bytes();
    }
    return {};
}

// The row of the same kind under another extension: a name that says one format, content another.
const FormatRow& Sibling(const FormatRow& row) {
    for (const FormatRow& other : Formats())
        if (other.kind == row.kind && other.format != row.format)
            return other;
    return row;
}

TEST(FormatTable, EveryRowReachesTheListingTheOpenDialogAndTheCommandLine) {
    const std::vector<OpenFileType> types = OpenFileTypes();
    for (const FormatRow& row : Formats()) {
        SCOPED_TRACE(std::string(row.extension));
        const Scratch scratch;
        const QString ext =
            QString::fromUtf8(row.extension.data(), static_cast<qsizetype>(row.extension.size()));
        const QString named = scratch.Write("a." + ext, FileOf(row.format));
        // The same content under the other extension of its kind.
        const std::string_view otherExt = Sibling(row).extension;
        const QString misnamed =
            scratch.Write("b." + QString::fromUtf8(otherExt.data(), otherExt.size()), FileOf(row.format));

        ListingOptions options;
        options.kind = row.kind;
        options.todaysFormats = true;
        options.drawThumbnails = false;
        const FolderListing listing = ListFolder(PathFromText(scratch.Path(".")), options);
        ASSERT_EQ(listing.items.size(), 2u);
        for (const ListedFile& item : listing.items) {
            EXPECT_EQ(item.format, row.format) << item.name.toStdString();
            EXPECT_EQ(item.result, 0) << item.name.toStdString();
        }

        // Exactly one file type offers the row alone with its kind's other format left out or in.
        const auto offering = std::count_if(types.begin(), types.end(), [&](const OpenFileType& t) {
            return t.kind == row.kind && t.todaysFormats == row.todays &&
                   QString::fromStdString(t.label).contains("*." + ext);
        });
        EXPECT_EQ(offering, 1);

        for (const QString& file : {named, misnamed}) {
            const ToolRun info = RunTool({"info", file});
            EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
            EXPECT_EQ(QJsonDocument::fromJson(info.out).object().value("kind").toString(), ext);
            const ToolRun thumb = RunTool({"thumb", file, scratch.Path("t.png")});
            EXPECT_EQ(thumb.exitCode, 0) << thumb.err.toStdString();
        }
    }
}

// Construction lines are shown on screen and never printed in today's formats; the old formats
// print them when the list shows them.
TEST(FormatTable, PrintoutsLeaveOutTodaysConstructionLines) {
    for (const FormatRow& row : Formats()) {
        SCOPED_TRACE(row.extension);
        const bool figure = row.kind == ListKind::Figures;
        const int aux = figure ? int{kJwkAuxLines} : int{kJwcAuxLines};
        std::vector<std::uint8_t> file;
        if (row.format == FileFormat::Jwk)
            file = JwkWriter().Line(0, 50, 100, 50, 9).Bytes();
        else if (row.format == FileFormat::Jwc)
            file = JwcWriter().Line(0, 183, 518, 183, 9).Build();
        else
            file = (figure ? JwwWriter::Figure().Box(0, 0, 100, 100) : JwwWriter::Drawing())
                       .Line(0, 0, 100, 100, {.style = 9})
                       .Bytes();
        RenderOptions options;
        options.flags = aux;
        const auto drawsLines = [&](const RenderOptions& o) {
            RecordingCanvas canvas;
            DrawListedData(canvas, row.format, file, {0, 0, 101, 101}, o);
            return !canvas.Segments().empty();
        };
        EXPECT_TRUE(drawsLines(options));
        EXPECT_EQ(drawsLines(PrintedOptions(row.format, options)), !row.todays);
    }
}

} // namespace
} // namespace plavik::test
