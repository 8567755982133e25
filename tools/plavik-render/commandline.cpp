#include "commandline.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace plavik::tool {

namespace {

// Strict decimal: digits only, the whole text, within [low, high].
int ParseNumber(std::string_view option, std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        throw UsageError(std::string(option) + " wants a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + std::string(text) + "'");
    return value;
}

ColorChoice ParseColors(std::string_view text) {
    if (text == "mono")
        return ColorChoice::Mono;
    if (text == "color")
        return ColorChoice::Color;
    if (text == "jwcad")
        return ColorChoice::JwCad;
    throw UsageError("--colors wants mono, color or jwcad, not '" + std::string(text) + "'");
}

// True for content, false for sheet.
bool ParseFit(std::string_view text) {
    if (text == "sheet")
        return false;
    if (text == "content")
        return true;
    throw UsageError("--fit wants sheet or content, not '" + std::string(text) + "'");
}

// Walks the arguments of one command: options with their values (as "--name value" or
// "--name=value") and the operands in order. "--" ends the options.
class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

    // Fills name and value for the next option, or returns false when the next argument is an operand
    // (which is then taken into operands()).
    bool Next() {
        while (index_ < args_.size()) {
            const std::string& arg = args_[index_++];
            if (!optionsEnded_ && arg == "--") {
                optionsEnded_ = true;
                continue;
            }
            if (!optionsEnded_ && arg.size() > 1 && arg[0] == '-') {
                const std::size_t equals = arg.find('=');
                name_ = arg.substr(0, equals);
                inlineValue_ = equals == std::string::npos
                                   ? std::nullopt
                                   : std::optional<std::string>(arg.substr(equals + 1));
                return true;
            }
            operands_.push_back(arg);
        }
        return false;
    }

    const std::string& name() const { return name_; }

    std::string Value() {
        if (inlineValue_)
            return *std::exchange(inlineValue_, std::nullopt);
        if (index_ >= args_.size())
            throw UsageError(name_ + " needs a value");
        return args_[index_++];
    }

    // A switch takes no value.
    void NoValue() const {
        if (inlineValue_)
            throw UsageError(name_ + " takes no value");
    }

    [[noreturn]] void Unknown(std::string_view command) const {
        throw UsageError("unknown option " + name_ + " for " + std::string(command));
    }

    const std::vector<std::string>& operands() const { return operands_; }

    void ExpectOperands(std::string_view command, std::size_t count, std::string_view names) const {
        if (operands_.size() != count)
            throw UsageError(std::string(command) + " takes " + std::string(names) + " (got " +
                             std::to_string(operands_.size()) + " operands)");
    }

private:
    const std::vector<std::string>& args_;
    std::size_t index_ = 1; // past the command
    bool optionsEnded_ = false;
    std::string name_;
    std::optional<std::string> inlineValue_;
    std::vector<std::string> operands_;
};

ThumbOptions ParseThumb(const std::vector<std::string>& args) {
    ThumbOptions o;
    ArgumentReader reader(args);
    while (reader.Next()) {
        const std::string& name = reader.name();
        if (name == "--width")
            o.width = ParseNumber(name, reader.Value(), 1, kMaxImageSide);
        else if (name == "--height")
            o.height = ParseNumber(name, reader.Value(), 1, kMaxImageSide);
        else if (name == "--flags")
            o.flags = ParseNumber(name, reader.Value(), 0, 15);
        else if (name == "--dpi")
            o.dpi = ParseNumber(name, reader.Value(), 1, 100000);
        else if (name == "--colors")
            o.colors = ParseColors(reader.Value());
        else if (name == "--fit")
            o.fitContent = ParseFit(reader.Value());
        else if (name == "--true-color") {
            reader.NoValue();
            o.trueColor = true;
        } else
            reader.Unknown("thumb");
    }
    reader.ExpectOperands("thumb", 2, "FILE and OUT.png");
    o.file = PathFromArgument(reader.operands()[0]);
    o.out = PathFromArgument(reader.operands()[1]);
    return o;
}

InfoOptions ParseInfo(const std::vector<std::string>& args) {
    ArgumentReader reader(args);
    while (reader.Next())
        reader.Unknown("info");
    reader.ExpectOperands("info", 1, "FILE");
    return {PathFromArgument(reader.operands()[0])};
}

SheetOptions ParseSheet(const std::vector<std::string>& args) {
    SheetOptions o;
    ArgumentReader reader(args);
    while (reader.Next()) {
        if (reader.name() == "--settings")
            o.settings = PathFromArgument(reader.Value());
        else
            reader.Unknown("sheet");
    }
    reader.ExpectOperands("sheet", 2, "FOLDER and OUT.pdf");
    o.folder = PathFromArgument(reader.operands()[0]);
    o.out = PathFromArgument(reader.operands()[1]);
    return o;
}

ThumbnailerOptions ParseThumbnailer(const std::vector<std::string>& args) {
    ThumbnailerOptions o;
    bool sized = false;
    ArgumentReader reader(args);
    while (reader.Next()) {
        if (reader.name() == "-s" || reader.name() == "--size") {
            o.size = ParseNumber(reader.name(), reader.Value(), 1, kMaxImageSide);
            sized = true;
        } else
            reader.Unknown("thumbnailer");
    }
    if (!sized)
        throw UsageError("thumbnailer needs -s SIZE");
    reader.ExpectOperands("thumbnailer", 2, "INPUT and OUTPUT");
    o.input = PathFromArgument(reader.operands()[0]);
    o.output = PathFromArgument(reader.operands()[1]);
    return o;
}

FindOptions ParseFind(const std::vector<std::string>& args) {
    FindOptions o;
    ArgumentReader reader(args);
    while (reader.Next()) {
        if (reader.name() == "--json") {
            reader.NoValue();
            o.json = true;
        } else
            reader.Unknown("find");
    }
    const std::vector<std::string>& operands = reader.operands();
    if (operands.size() < 2)
        throw UsageError("find takes ROOT and at least one WORD (got " + std::to_string(operands.size()) +
                         " operands)");
    o.root = PathFromArgument(operands[0]);
    o.words.assign(operands.begin() + 1, operands.end());
    return o;
}

ExportCommandOptions ParseExport(const std::vector<std::string>& args) {
    ExportCommandOptions o;
    ArgumentReader reader(args);
    while (reader.Next()) {
        const std::string& name = reader.name();
        if (name == "--to") {
            const std::string to = reader.Value();
            if (to == "dxf")
                o.to = ExportTo::Dxf;
            else if (to == "svg")
                o.to = ExportTo::Svg;
            else if (to == "pdf")
                o.to = ExportTo::Pdf;
            else
                throw UsageError("--to wants dxf, svg or pdf, not '" + to + "'");
        } else if (name == "--dxf-version") {
            const std::string version = reader.Value();
            if (version == "r12")
                o.r12 = true;
            else if (version == "r2000" || version == "2000")
                o.r12 = false;
            else
                throw UsageError("--dxf-version wants r12 or r2000, not '" + version + "'");
        } else if (name == "--recursive") {
            reader.NoValue();
            o.recursive = true;
        } else
            reader.Unknown("export");
    }
    reader.ExpectOperands("export", 2, "FILE and OUT, or FOLDER and OUTDIR");
    o.source = PathFromArgument(reader.operands()[0]);
    o.out = PathFromArgument(reader.operands()[1]);
    return o;
}

} // namespace

std::filesystem::path PathFromArgument(const std::string& arg) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(arg.begin(), arg.end()));
#else
    return std::filesystem::path(arg);
#endif
}

Command ParseCommandLine(const std::vector<std::string>& args) {
    Command command;
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            return command;
        if (arg == "--version") {
            command.kind = CommandKind::Version;
            return command;
        }
    }
    if (args.empty())
        throw UsageError("no command given (try --help)");
    const std::string& name = args.front();
    if (name == "thumb") {
        command.kind = CommandKind::Thumb;
        command.thumb = ParseThumb(args);
    } else if (name == "info") {
        command.kind = CommandKind::Info;
        command.info = ParseInfo(args);
    } else if (name == "sheet") {
        command.kind = CommandKind::Sheet;
        command.sheet = ParseSheet(args);
    } else if (name == "thumbnailer") {
        command.kind = CommandKind::Thumbnailer;
        command.thumbnailer = ParseThumbnailer(args);
    } else if (name == "export") {
        command.kind = CommandKind::Export;
        command.exportFiles = ParseExport(args);
    } else if (name == "find") {
        command.kind = CommandKind::Find;
        command.find = ParseFind(args);
    } else {
        throw UsageError("unknown command '" + name + "' (try --help)");
    }
    return command;
}

std::string HelpText() {
    return R"(Usage: plavik-render COMMAND ...
Draws jw_cad figure files (.jwk, .jws) and drawing files (.jwc, .jww) without a window.

  plavik-render thumb FILE OUT.png [--width W] [--height H] [--flags N] [--dpi D]
                      [--colors mono|color|jwcad] [--true-color] [--fit sheet|content]
      Draws FILE (a figure or drawing file, told by its content) into a W x H image and writes
      it as PNG. Defaults: 48 x 48 for figures, 100 x 71 for drawings; the option flags and
      colours of the default settings; 96 dpi. --flags: 1 frame, 2 texts, 4 auxiliary lines
      (figures) or text base lines only (drawings), 8 reference point (figures) or auxiliary
      lines (drawings). --colors sets the figure colours to a preset of the settings dialog.
      --fit content shows what is drawn on a drawing's shown layers instead of its whole sheet
      (as the settings' "図面の範囲に合わせる"); sheet, the default, shows the sheet.
      The image is reduced to the 16 system colours unless --true-color is given.
      A file of neither kind gets the card of the format its name suggests ("Not JWK File",
      "Not JWC File", "Not JWS File" or "Not JWW File") and exit status 1.

  plavik-render info FILE
      Prints what the file holds as one JSON object.

  plavik-render sheet FOLDER OUT.pdf [--settings FILE.ini]
      Lists FOLDER (its figure files, or its drawing files when it holds no figure file) and
      prints the list to a PDF file, A4 at 600 dpi, with the settings of FILE.ini (the
      program's settings file) or the defaults.

  plavik-render thumbnailer -s SIZE INPUT OUTPUT
      The desktop's thumbnailer: a PNG whose longer side is SIZE; figures are square,
      drawings 1 : 1.414. It writes into the OUTPUT file itself, and nothing at all when
      the file cannot be drawn, so that the file manager shows the file type's icon.

  plavik-render find ROOT WORD... [--json]
      Prints the figure and drawing files under ROOT (and its folders, hidden ones left out)
      that hold every WORD in their name, their folder's title (Zu_name.dat), their memo or
      comment, or their texts: one path a line, sorted by file name, or with --json one JSON
      array of objects with path, title and match (the text the first word was found in).
      Full and half width, upper and lower case, hiragana and katakana are not told apart.
      It keeps and updates the window's search index in the user's cache folder.

  plavik-render export FILE OUT [--to dxf|svg|pdf] [--dxf-version r12]
  plavik-render export FOLDER OUTDIR --to dxf|svg|pdf [--dxf-version r12] [--recursive]
      Writes FILE as DXF, SVG or PDF (by OUT's extension when --to is not given), in paper
      millimetres, for readers without jw_cad. DXF is AutoCAD 2000 with Japanese texts as
      \U+XXXX escapes; --dxf-version r12 writes R12 with Shift-JIS texts (code page 932) for
      jw_cad and older programs. Layers are named after the file's layer groups and layers;
      hidden layers are off. A folder is written file by file into OUTDIR, each output at its
      file's relative path with .dxf, .svg or .pdf added; a line tells how many were written
      and how many failed, each failure is named on standard error, and the exit status is 3
      when any failed. No output grows beyond 64 MiB: what would go beyond is left out, with
      a message.

  An output of - is standard output. A symbolic link stays a link and its target is written.

  plavik-render --help | --version

Exit status: 0 done, 1 the file is neither a figure nor a drawing file (find: nothing found),
2 bad arguments, 3 a file that cannot be read (find: ROOT), 4 the output cannot be written (an
earlier file stays as it was).
)";
}

} // namespace plavik::tool
