#include "CliOptions.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <map>

#include "PathRules.h"

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

using ValueHandler =
    std::function<void(const std::string& option, const std::string& value, JobSettings& s)>;

const std::map<std::string, ValueHandler>& valueOptions() {
  static const std::map<std::string, ValueHandler> options = {
      {"--output", [](auto& o, auto& v, auto& s) { s.outputPath = outputPathFor(o, v); }},
      {"--size", [](auto& o, auto& v, auto& s) { readSize(o, v, s); }},
      {"--format",
       [](auto& o, auto& v, auto& s) {
         s.saveFormat =
             readChoice<SaveFormat>(o, v, {{"jpg", SaveFormat::Jpeg}, {"bmp", SaveFormat::Bmp}});
       }},
      {"--quality", [](auto& o, auto& v, auto& s) { s.jpegQuality = readBounded(o, v, 0, 100); }},
      {"--mode",
       [](auto& o, auto& v, auto& s) {
         s.mode = readChoice<Mode>(o, v, {{"keen", Mode::Keen}, {"resize-all", Mode::ResizeAll}});
       }},
      {"--tolerance", [](auto& o, auto& v, auto& s) { s.aspectTolerance = readInteger(o, v); }},
      {"--rotate",
       [](auto& o, auto& v, auto& s) {
         s.rotateDirection = readChoice<Turn>(o, v, {{"left", Turn::Left}, {"right", Turn::Right}});
       }},
      {"--jobs", [](auto& o, auto& v, auto& s) { s.jobs = readBounded(o, v, 1, 1024); }},
  };
  return options;
}

const std::map<std::string, std::string>& shortNames() {
  static const std::map<std::string, std::string> names = {
      {"-o", "--output"}, {"-s", "--size"},      {"-f", "--format"}, {"-q", "--quality"},
      {"-m", "--mode"},   {"-t", "--tolerance"}, {"-r", "--rotate"}, {"-a", "--antialias"},
      {"-j", "--jobs"},   {"-h", "--help"}};
  return names;
}

// Splits "--name=value" and "-xVALUE" into the long name and an inline value.
std::string longName(const std::string& arg, std::string& inlineValue, bool& hasInline) {
  hasInline = false;
  if (arg.rfind("--", 0) == 0) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos) return arg;
    hasInline = true;
    inlineValue = arg.substr(eq + 1);
    return arg.substr(0, eq);
  }
  auto found = shortNames().find(arg.substr(0, 2));
  if (found == shortNames().end()) throw UsageError{"unknown option '" + arg + "'"};
  if (arg.size() > 2) {
    hasInline = true;
    inlineValue = arg.substr(2);
  }
  return found->second;
}

}  // namespace

CliRequest parseCommandLine(const std::vector<std::string>& args, int cores) {
  CliRequest request;
  JobSettings& s = request.settings;
  // No crop editor without a window: mismatches are reported.
  s.mismatchAction = MismatchAction::Skip;
  s.outputPath = std::string(DefaultOutputFolder) + "/";
  s.jobs = cores > 0 ? cores : 1;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      s.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string value;
    bool hasInline = false;
    const std::string name = longName(arg, value, hasInline);
    if (name == "--help" || name == "--version" || name == "--antialias" || name == "--no-rotate") {
      if (hasInline) throw UsageError{"option " + name + " takes no value"};
      if (name == "--help") request.action = CliRequest::Action::Help;
      if (name == "--version") request.action = CliRequest::Action::Version;
      if (name == "--antialias") s.antiAlias = true;
      if (name == "--no-rotate") s.autoRotate = false;
      continue;
    }
    auto handler = valueOptions().find(name);
    if (handler == valueOptions().end()) throw UsageError{"unknown option '" + arg + "'"};
    if (!hasInline) {
      if (++i == args.size()) throw UsageError{"option " + name + " needs a value"};
      value = args[i];
    }
    handler->second(name, value, s);
  }
  if (request.action == CliRequest::Action::Run && s.files.empty()) {
    throw UsageError{"no picture files given"};
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
         "  -j, --jobs N              pictures decoded ahead at once (default: the number of "
         "cores; 1: one at a time)\n"
         "  -h, --help                usage\n"
         "      --version             version\n";
}

std::string versionText() {
  return "batchfit-cli " BATCHFIT_VERSION "\n";
}

}  // namespace batchfit
