// The declaration of velqoris-cli's commands and options: one entry per
// option says its name, the form of its value, which commands take it, how
// each describes it and how it is applied. Parsing, the usage lines and each
// command's --help are all made from these two tables (Cli_options.cpp).
#pragma once

#include <string>
#include <vector>

#include "cli/Cli_options.h"

namespace velqoris::cli {

// How a command's help describes an option.
enum class Described {
  kOwnText,    // a line (or lines) of its own
  kAsMeasure,  // named in one line "… は measure と同じです。"
  kNot,        // only in the usage line
};

// How a command's usage line shows an option.
enum class Shown { kOptional, kRequired, kHidden };

struct OptionUse {
  Command command;
  Described described = Described::kOwnText;
  std::string help;  // kOwnText: lines joined by '\n'
  Shown shown = Shown::kOptional;
  // One of a choice with the option before it: "[--virtual | --device SERIAL]";
  // of required options exactly one must be given.
  bool orPrevious = false;
};

// The error text, or empty when the value is taken. Flags get an empty value.
using ApplyOption = std::string (*)(Options& o, const std::string& name, const std::string& value);

struct OptionSpec {
  std::string name;
  std::string hint;  // the form of the value; empty for a flag
  ApplyOption apply;
  std::vector<OptionUse> uses;
  bool repeatable = false;   // may be given more than once (per channel, per board)
  bool virtualOnly = false;  // only with --virtual
};

struct CommandSpec {
  Command command;
  std::string name;
  bool takesFile;
  int helpColumn;             // help texts begin this many columns after the indent
  std::string about;          // help lines below the usage
  std::string closing;        // help lines below the options
  bool severalFiles = false;  // takes FILE… (compare)
};

const std::vector<CommandSpec>& CommandSpecs();
// In the order the usage lines and the help list them.
const std::vector<OptionSpec>& OptionSpecs();

// The use of an option by a command, when it takes it.
const OptionUse* UseBy(const OptionSpec& option, Command command);

}  // namespace velqoris::cli
