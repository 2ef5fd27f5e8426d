#include "cli/CliOptions.h"

#include <getopt.h>

#include <charconv>
#include <cstdint>
#include <map>

#include "image/PathRules.h"

namespace batchfit {

namespace {

// Whole text as a signed 32-bit decimal number, or a usage error naming it.
std::int32_t readInteger(const std::string& option, const std::string& text) {
  std::int32_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (!text.empty() && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, value);
  if (first == last || ec != std::errc() || end != last) {
    throw UsageError{"invalid number for " + option + ": '" + text + "'"};
  }
  return value;
}

std::int32_t readBounded(const std::string& option, const std::string& text, int low, int high) {
  const std::int32_t value = readInteger(option, text);
  if (value < low || value > high) {
    throw UsageError{option + " must be between " + std::to_string(low) + " and " +
                     std::to_string(high) + ": '" + text + "'"};
  }
  return value;
}

void readSize(const std::string& option, const std::string& text, JobSettings& s) {
  const auto x = text.find_first_of("xX", 1);
  if (x == std::string::npos) throw UsageError{"invalid size for " + option + ": '" + text + "'"};
  s.targetWidth = readInteger(option, text.substr(0, x));
  s.targetHeight = readInteger(option, text.substr(x + 1));
}

template <typename Choice>
Choice readChoice(const std::string& option, const std::string& text,
                  const std::map<std::string, Choice>& choices) {
  auto found = choices.find(text);
  if (found == choices.end()) throw UsageError{"invalid value for " + option + ": '" + text + "'"};
  return found->second;
}

// The output folder with its trailing separator, as the save dialog's file
// name would give it: only its folder part is used.
std::string outputPathFor(const std::string& option, const std::string& folder) {
  if (folder.empty()) throw UsageError{"empty folder for " + option};
  if (lastDelimiterPosition(PlatformFolderDelimiters, folder) == folder.size()) return folder;
  return folder + PlatformFolderDelimiters.front();
}

// The options as getopt_long knows them; the options without a short form
// have values beyond every character.
enum : int {
  NoRotate = 256,
  ExifOrientation,
  DryRun,
  Version,
  Report,
  Smooth,
  OtherFormats,
  ToSrgb
};
const option LongOptions[] = {{"output", required_argument, nullptr, 'o'},
                              {"size", required_argument, nullptr, 's'},
                              {"format", required_argument, nullptr, 'f'},
                              {"quality", required_argument, nullptr, 'q'},
                              {"mode", required_argument, nullptr, 'm'},
                              {"tolerance", required_argument, nullptr, 't'},
                              {"no-rotate", no_argument, nullptr, NoRotate},
                              {"rotate", required_argument, nullptr, 'r'},
                              {"antialias", no_argument, nullptr, 'a'},
                              {"exif-orientation", no_argument, nullptr, ExifOrientation},
                              {"smooth", no_argument, nullptr, Smooth},
                              {"other-formats", no_argument, nullptr, OtherFormats},
                              {"to-srgb", no_argument, nullptr, ToSrgb},
                              {"jobs", required_argument, nullptr, 'j'},
                              {"dry-run", no_argument, nullptr, DryRun},
                              {"report", required_argument, nullptr, Report},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, Version},
                              {nullptr, 0, nullptr, 0}};
// "-": every file comes back in its place among the options (code 1), so the
// order holds whatever POSIXLY_CORRECT says; ":": a missing value is told
// apart from an unknown option.
constexpr const char* ShortOptions = "-:o:s:f:q:m:t:r:aj:h";

// The option's long name with its dashes, or none for a code no option has.
std::string longNameOf(int code) {
  for (const option& known : LongOptions) {
    if (known.name && known.val == code) return std::string("--") + known.name;
  }
  return {};
}

// getopt_long's complaint about the argument just read, as our message.
UsageError syntaxError(int code, int culprit, const char* argument) {
  const std::string name = longNameOf(culprit);
  if (code == ':') return UsageError{"option " + name + " needs a value"};
  // Only a long option without a value can be known and still refused.
  if (!name.empty()) return UsageError{"option " + name + " takes no value"};
  if (culprit != 0) return UsageError{"unknown option '-" + std::string(1, char(culprit)) + "'"};
  return UsageError{"unknown option '" + std::string(argument) + "'"};
}

void takeOption(int code, const std::string& value, CliRequest& request) {
  JobSettings& s = request.settings;
  const std::string name = longNameOf(code);
  switch (code) {
    case 'o':
      s.outputPath = outputPathFor(name, value);
      break;
    case 's':
      readSize(name, value, s);
      break;
    case 'f':
      s.saveFormat = readChoice<SaveFormat>(name, value,
                                            {{"jpg", SaveFormat::Jpeg}, {"bmp", SaveFormat::Bmp}});
      break;
    case 'q':
      s.jpegQuality = readBounded(name, value, 0, 100);
      break;
    case 'm':
      s.mode =
          readChoice<Mode>(name, value, {{"keen", Mode::Keen}, {"resize-all", Mode::ResizeAll}});
      break;
    case 't':
      s.aspectTolerance = readInteger(name, value);
      break;
    case NoRotate:
      s.autoRotate = false;
      break;
    case 'r':
      s.rotateDirection =
          readChoice<Turn>(name, value, {{"left", Turn::Left}, {"right", Turn::Right}});
      break;
    case 'a':
      s.antiAlias = true;
      break;
    case ExifOrientation:
      s.exifOrientation = true;
      break;
    case Smooth:
      s.smoothScaling = true;
      break;
    case OtherFormats:
      s.otherFormats = true;
      break;
    case ToSrgb:
      s.toSrgb = true;
      break;
    case 'j':
      s.jobs = readBounded(name, value, 1, 1024);
      break;
    case DryRun:
      request.dryRun = true;
      break;
    case Report:
      if (value.empty()) throw UsageError{"empty file name for " + name};
      request.reportPath = value;
      break;
    case 'h':
      request.action = CliRequest::Action::Help;
      break;
    case Version:
      request.action = CliRequest::Action::Version;
      break;
  }
}

}  // namespace

CliRequest parseCommandLine(const std::vector<std::string>& args, int cores) {
  CliRequest request;
  JobSettings& s = request.settings;
  // No crop editor without a window: mismatches are reported.
  s.mismatchAction = MismatchAction::Skip;
  s.outputPath = std::string(DefaultOutputFolder) + "/";
  s.jobs = cores > 0 ? cores : 1;
  std::vector<std::string> words{"batchfit-cli"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = int(words.size());
  opterr = 0;  // our own messages only
  optind = 0;  // a fresh scan, also for a second command line in one process
  int code = 0;
  while ((code = getopt_long(argc, argv.data(), ShortOptions, LongOptions, nullptr)) != -1) {
    if (code == 1) {
      s.files.push_back(optarg);
    } else if (code == '?' || code == ':') {
      throw syntaxError(code, optopt, argv[optind - 1]);
    } else {
      takeOption(code, optarg ? optarg : "", request);
    }
  }
  // What follows "--" is files, whatever it looks like.
  for (int i = optind; i < argc; ++i) s.files.push_back(argv[i]);
  if (request.action == CliRequest::Action::Run && s.files.empty()) {
    throw UsageError{"no picture files given"};
  }
  // A plan writes nothing, not even a report.
  if (request.dryRun && !request.reportPath.empty()) {
    throw UsageError{"--dry-run writes no report"};
  }
  return request;
}

std::string usageText() {
  return "Usage: batchfit-cli [OPTIONS] FILE...\n"
         "Resizes pictures to one small fixed size and writes them into one folder.\n"
         "\n"
         "  -o, --output DIR          output folder (default /tmp/)\n"
         "  -s, --size WxH            target size (default 176x220)\n"
         "  -f, --format jpg|bmp      output format (default jpg)\n"
         "  -q, --quality N           JPEG quality 0..100 (default 100)\n"
         "  -m, --mode keen|resize-all   (default keen)\n"
         "  -t, --tolerance N         aspect ratio tolerance in percent (default 10)\n"
         "      --no-rotate           do not turn pictures of the other orientation\n"
         "  -r, --rotate left|right   direction of the turn (default left)\n"
         "  -a, --antialias           soften the result horizontally\n"
         "      --exif-orientation    turn each photo upright as its camera noted (EXIF)\n"
         "      --smooth              reduce with a Lanczos-3 filter instead of nearest-neighbour\n"
         "      --other-formats       also read PNG, BMP, TIFF, WebP, HEIC/HEIF and AVIF photos\n"
         "      --to-srgb             turn photos with an embedded colour profile into sRGB\n"
         "  -j, --jobs N              pictures decoded ahead at once (default: the number of "
         "cores; 1: one at a time)\n"
         "      --dry-run             read the headers only and tell what a run would do\n"
         "      --report FILE.csv     also write what became of each file as CSV\n"
         "  -h, --help                usage\n"
         "      --version             version\n";
}

std::string versionText() {
  return "batchfit-cli " BATCHFIT_VERSION "\n";
}

}  // namespace batchfit
