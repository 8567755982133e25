// The command line of plavik-render: its commands, their operands and options.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace plavik::tool {

// The three colour presets of the settings dialog, or the default settings' colours.
enum class ColorChoice { Default, Mono, Color, JwCad };

struct ThumbOptions {
    std::filesystem::path file;
    std::filesystem::path out;
    std::optional<int> width; // the kind's default when not given
    std::optional<int> height;
    std::optional<int> flags; // SetOption / SetOption2 of the default settings when not given
    int dpi = 96;
    ColorChoice colors = ColorChoice::Default;
    bool trueColor = false;
    bool fitContent = false; // --fit content: a drawing shows what is drawn instead of its sheet
};

struct InfoOptions {
    std::filesystem::path file;
};

struct SheetOptions {
    std::filesystem::path folder;
    std::filesystem::path out;
    std::optional<std::filesystem::path> settings; // an INI file; the defaults when not given
};

struct ThumbnailerOptions {
    int size = 0;
    std::filesystem::path input;
    std::filesystem::path output;
};

struct FindOptions {
    std::filesystem::path root;
    std::vector<std::string> words; // as the system handed them over (UTF-8)
    bool json = false;
};

enum class ExportTo { FromName, Dxf, Svg, Pdf };

struct ExportCommandOptions {
    std::filesystem::path source; // a file, or a folder
    std::filesystem::path out;    // a file, or the folder of the outputs
    ExportTo to = ExportTo::FromName;
    bool r12 = false;       // --dxf-version r12
    bool recursive = false; // folders: their folders too
};

enum class CommandKind { Help, Version, Thumb, Info, Sheet, Thumbnailer, Find, Export };

struct Command {
    CommandKind kind = CommandKind::Help;
    ThumbOptions thumb;
    InfoOptions info;
    SheetOptions sheet;
    ThumbnailerOptions thumbnailer;
    FindOptions find;
    ExportCommandOptions exportFiles;
};

// A command line that does not make sense; the message is one line for standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest width, height or thumbnailer size accepted, so that a typing slip cannot ask for
// gigabytes of image.
inline constexpr int kMaxImageSide = 10000;

// Parses the arguments after the program name (each as the system hands it over: the bytes of a
// file name on POSIX, UTF-8 on Windows). "--help" or "-h" anywhere asks for the help text, "--version"
// for the version, whichever comes first. Throws UsageError.
Command ParseCommandLine(const std::vector<std::string>& args);

// A path from an argument as the system handed it over.
std::filesystem::path PathFromArgument(const std::string& arg);

// The text of --help.
std::string HelpText();

} // namespace plavik::tool
