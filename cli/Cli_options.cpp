#include "cli/Cli_options.h"

#include <algorithm>
#include <optional>
#include <set>

#include "cli/Cli_option_table.h"

namespace velqoris::cli {

namespace {

constexpr int kLineWidth = 80;
constexpr std::string_view kProgram = "velqoris-cli ";

// Columns a text takes on a terminal: CJK characters two, others one.
int Columns(std::string_view text) {
  int columns = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) columns += byte >= 0xE0 ? 2 : 1;
  }
  return columns;
}

const CommandSpec* FindCommand(const std::string& name) {
  for (const CommandSpec& c : CommandSpecs()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

const CommandSpec& SpecOf(Command command) {
  const auto& commands = CommandSpecs();
  return *std::find_if(commands.begin(), commands.end(),
                       [&](const CommandSpec& c) { return c.command == command; });
}

const OptionSpec* FindOption(const std::string& name, Command command) {
  for (const OptionSpec& o : OptionSpecs()) {
    if (o.name == name && UseBy(o, command) != nullptr) return &o;
  }
  return nullptr;
}

std::string Head(const OptionSpec& o) { return o.hint.empty() ? o.name : o.name + ' ' + o.hint; }

// The options a command takes, in the table's order, with their use.
std::vector<std::pair<const OptionSpec*, const OptionUse*>> OptionsOf(Command command) {
  std::vector<std::pair<const OptionSpec*, const OptionUse*>> list;
  for (const OptionSpec& o : OptionSpecs()) {
    if (const OptionUse* use = UseBy(o, command)) list.emplace_back(&o, use);
  }
  return list;
}

// Words in lines of at most kLineWidth columns, the first after `line`, the
// lines after it beginning with `indent`.
std::string Wrapped(std::string line, const std::vector<std::string>& words,
                    const std::string& indent, const std::string& separator) {
  std::string text;
  bool fresh = true;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string word = words[i] + (i + 1 < words.size() ? separator : "");
    if (!fresh && Columns(line) + 1 + Columns(word) > kLineWidth) {
      text += line + '\n';
      line = indent;
      fresh = true;
    }
    line += (fresh ? "" : " ") + word;
    fresh = false;
  }
  return text + line + '\n';
}

// Usage pieces: "[--rate SPS]", "--csv OUT.csv", "[--virtual | --device SERIAL]".
std::vector<std::string> UsagePieces(const CommandSpec& command) {
  std::vector<std::string> pieces;
  if (command.takesFile) pieces.push_back(command.severalFiles ? "FILE…" : "FILE");
  std::string choice;
  Shown shown = Shown::kOptional;
  const auto close = [&] {
    if (choice.empty()) return;
    const bool several = choice.find(" | ") != std::string::npos;
    pieces.push_back(shown == Shown::kOptional ? '[' + choice + ']'
                     : several                 ? '(' + choice + ')'
                                               : choice);
    choice.clear();
  };
  for (const auto& [option, use] : OptionsOf(command.command)) {
    if (use->shown == Shown::kHidden) continue;
    if (use->orPrevious && !choice.empty()) {
      choice += " | " + Head(*option);
      continue;
    }
    close();
    choice = Head(*option);
    shown = use->shown;
  }
  close();
  return pieces;
}

// One command's usage; `indent` before its first line.
std::string CommandUsage(const CommandSpec& command, const std::string& indent) {
  const std::string first = indent + std::string(kProgram) + command.name + ' ';
  return Wrapped(first, UsagePieces(command), std::string(Columns(first), ' '), "");
}

// An option's lines in a command's help: the help text from the command's column.
std::string HelpLines(const std::string& head, const std::string& help, int column) {
  const std::string indent(static_cast<std::size_t>(2 + column), ' ');
  std::string text = "  " + head;
  if (Columns(head) < column) {
    text += std::string(static_cast<std::size_t>(column - Columns(head)), ' ');
  } else {
    text += '\n' + indent;
  }
  for (const char c : help) text += c == '\n' ? '\n' + indent : std::string(1, c);
  return text + '\n';
}

ParseResult Fail(std::string error, const CommandSpec* command = nullptr) {
  ParseResult r;
  r.error = std::move(error);
  r.usage = command != nullptr ? UsageText(command->command) : UsageText();
  return r;
}

// What the table asks of the options given: the required ones (one of a
// choice), and --virtual for those that work only on the virtual board.
std::optional<std::string> MissingOrMisused(const CommandSpec& command, const Options& o,
                                            const std::set<std::string>& given) {
  std::vector<std::string> choice;
  int chosen = 0;
  const auto check = [&]() -> std::optional<std::string> {
    if (choice.empty() || chosen == 1) return std::nullopt;
    if (choice.size() == 1) return command.name + " には " + choice[0] + " が要ります";
    std::string names;
    for (const std::string& c : choice) names += (names.empty() ? "" : " か ") + c;
    return command.name + " には " + names + " のどちらか一つが要ります";
  };
  for (const auto& [option, use] : OptionsOf(command.command)) {
    if (use->shown == Shown::kRequired && use->orPrevious && !choice.empty()) {
      choice.push_back(Head(*option));
      chosen += given.count(option->name) != 0 ? 1 : 0;
      continue;
    }
    if (auto error = check()) return error;
    choice.clear();
    chosen = 0;
    if (use->shown == Shown::kRequired) {
      choice.push_back(Head(*option));
      chosen = given.count(option->name) != 0 ? 1 : 0;
    }
  }
  if (auto error = check()) return error;
  if (o.virtualBoard) return std::nullopt;
  for (const auto& [option, use] : OptionsOf(command.command)) {
    if (option->virtualOnly && given.count(option->name) != 0) {
      return option->name + " は --virtual と一緒に使います";
    }
  }
  return std::nullopt;
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("コマンドがありません");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    ParseResult r;
    r.ok = true;
    r.options.help = true;
    r.options.generalHelp = true;
    return r;
  }
  const CommandSpec* command = FindCommand(args[0]);
  if (command == nullptr) {
    std::string names;
    for (const CommandSpec& c : CommandSpecs()) names += (names.empty() ? "" : ", ") + c.name;
    return Fail("コマンド \"" + args[0] + "\" はありません。使えるコマンド: " + names);
  }

  ParseResult r;
  Options& o = r.options;
  o.command = command->command;
  std::set<std::string> given;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (!command->takesFile)
        return Fail(command->name + " にファイル名は要りません: " + arg, command);
      if (!o.file.empty() && !command->severalFiles)
        return Fail("ファイル名は一つだけです: " + arg, command);
      if (o.file.empty()) o.file = arg;
      o.files.push_back(arg);
      continue;
    }
    std::optional<std::string> value;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    }
    const OptionSpec* option = FindOption(arg, command->command);
    if (option == nullptr) return Fail(command->name + " では " + arg + " は使えません", command);
    if (option->hint.empty()) {
      if (value) return Fail(arg + " は値をとりません", command);
      given.insert(arg);
      option->apply(o, arg, {});
      continue;
    }
    if (!value) {
      if (i + 1 >= args.size()) return Fail(arg + " に値がありません", command);
      value = args[++i];
    }
    if (!given.insert(arg).second && !option->repeatable) {
      return Fail(arg + " が二度指定されています", command);
    }
    if (std::string error = option->apply(o, arg, *value); !error.empty()) {
      return Fail(error, command);
    }
  }
  if (!o.help) {
    if (command->takesFile && o.file.empty()) {
      return Fail(command->name + " にはデータファイル名が要ります", command);
    }
    if (auto error = MissingOrMisused(*command, o, given)) return Fail(*error, command);
    if (o.command == Command::kLog && o.csv.empty() && o.h5.empty() && o.lp.empty())
      return Fail("log には --csv OUT.csv、--h5 OUT.h5、--lp 送り先 のどれかが要ります", command);
  }
  r.ok = true;
  return r;
}

std::string UsageText(Command command) { return "使い方:\n" + CommandUsage(SpecOf(command), "  "); }

std::string UsageText() {
  std::string text = "使い方:\n";
  for (const CommandSpec& c : CommandSpecs()) text += CommandUsage(c, "  ");
  return text + "  " + std::string(kProgram) + "COMMAND --help\n";
}

std::string HelpText(Command command) {
  const CommandSpec& spec = SpecOf(command);
  std::string text = CommandUsage(spec, "") + spec.about;
  std::vector<std::string> asMeasure;
  for (const auto& [option, use] : OptionsOf(command)) {
    if (use->described == Described::kOwnText) {
      text += HelpLines(Head(*option), use->help, spec.helpColumn);
    } else if (use->described == Described::kAsMeasure) {
      asMeasure.push_back(option->name);
    }
  }
  if (!asMeasure.empty()) {
    text += Wrapped("  ", asMeasure, "  ", ",");
    text.insert(text.size() - 1, " は measure と同じです。");
  }
  return text + spec.closing;
}

}  // namespace velqoris::cli
