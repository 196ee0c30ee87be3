// The command line of mousectl: its arguments, its commands with their help, and the man
// page and bash completion made from that help.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace cli {

// What scripts can test.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitNoMouse = 2;
inline constexpr int kExitMouse = 3;  // the mouse refused or did not answer
inline constexpr int kExitPermission = 4;

struct Invocation {
  std::vector<std::string> words;    // the command and its arguments
  std::optional<std::string> model;  // --model NAME
  // The whole "--simulate[=MODEL[:cable|receiver|both]]" argument, as the window takes it.
  std::optional<std::string> simulate;
  bool json = false;
  bool help = false;
};

// Parses the arguments after the program name. Options may stand anywhere. The error's
// reason is the one-line usage message.
platform::Result<Invocation> ParseArguments(const std::vector<std::string>& args);

struct CommandHelp {
  const char* name;      // "dpi set"
  const char* synopsis;  // "dpi set LEVEL VALUE"
  const char* summary;   // one line
  const char* details;   // further lines, may be empty
  bool reads;            // a read command: takes --json
};
std::span<const CommandHelp> Commands();
// The help of the command the words name ("dpi", "dpi set"), or the overview.
std::string HelpText(const std::vector<std::string>& words);
// The manual page (troff) and the bash completion script, made from the same help.
std::string ManPage(const std::string& version);
std::string BashCompletion();

// The request the window program receives for an invocation, and back.
std::string EncodeRequest(const std::vector<std::string>& args);
std::vector<std::string> DecodeRequest(const std::string& request);

struct Answer {
  int exit_code = kExitDone;
  std::string out;  // for stdout
  std::string err;  // one line for stderr, empty when none
};
std::string EncodeAnswer(const Answer& answer);
// nullopt for a text that is not an answer (none came, or it was cut).
std::optional<Answer> DecodeAnswer(const std::string& text);

}  // namespace cli
