#include "cli/command_line.h"

#include <array>
#include <cstdlib>
#include <sstream>

namespace cli {
namespace {

constexpr std::array kCommands{
    CommandHelp{"list", "list",
                "The attached supported mice: connection, firmware version, battery.", "", true},
    CommandHelp{"info", "info",
                "The mouse worked with: model, connection, firmware, battery, profile, report "
                "rate and DPI levels.",
                "", true},
    CommandHelp{"profile", "profile [N]",
                "Without N: the active profile and the list of profiles. With N: profile N "
                "becomes active and is written to the mouse, as the window's profile selector "
                "does.",
                "", true},
    CommandHelp{"dpi", "dpi",
                "The DPI levels in use with their values and indicator colours, and the active "
                "level.",
                "Levels count from 1; the active one is marked with *.", true},
    CommandHelp{"dpi set", "dpi set LEVEL VALUE",
                "Sets the DPI of LEVEL to VALUE and sends it to the mouse.",
                "The mouse takes a level's DPI only for its active level, so LEVEL becomes the "
                "active level, as choosing it on the DPI page does. VALUE is one the DPI slider "
                "offers: 50 up to the sensor's highest, in steps of 50.",
                false},
    CommandHelp{"dpi active", "dpi active LEVEL", "Makes LEVEL the active DPI level.", "", false},
    CommandHelp{"dpi count", "dpi count N",
                "Uses N DPI levels (1 to 7); the active level stays inside them.", "", false},
    CommandHelp{"rate", "rate [HZ]",
                "Without HZ: the report rate. With HZ: sets the report rate for cable and "
                "receiver.",
                "HZ is one of 125, 250, 500, 1000 and, where the mouse offers them, 2000, 4000, "
                "8000.",
                true},
    CommandHelp{"export", "export FILE",
                "Writes the active profile to the profile file FILE (XML), as the window's "
                "export does.",
                "", false},
    CommandHelp{"import", "import FILE",
                "Reads the profile file FILE into the active profile and writes it to the mouse, "
                "as the window's import does.",
                "", false},
};

constexpr const char* kOptionsHelp[][2] = {
    {"--model NAME",
     "Works with the attached model NAME (as `list' names it, or its type "
     "number) where several are attached."},
    {"--simulate[=MODEL[:cable|receiver|both]]",
     "Works with a virtual mouse instead of the hardware, as the window program's option does."},
    {"--json", "Read commands print one JSON object."},
    {"--help", "Prints the help of the command (or of mousectl) and exits."},
};

constexpr const char* kExitHelp[][2] = {
    {"0", "done"},
    {"1", "bad usage"},
    {"2", "no such mouse is attached"},
    {"3", "the mouse refused the request or did not answer"},
    {"4", "the mouse may not be opened (permission); the message says how to fix it"},
};

constexpr const char* kAbout =
    "Reads and changes the settings of the supported mice from the command line, on the same "
    "profiles as the window program. While the window program runs, mousectl hands each "
    "request to it (the window then shows the change); otherwise it opens the mouse itself.";

const CommandHelp* Find(const std::string& name) {
  for (const CommandHelp& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The usage problem of the words, empty when they form a command.
std::string UsageProblem(const std::vector<std::string>& w) {
  if (w.empty()) return "no command given (try mousectl --help)";
  const std::string& c = w[0];
  const size_t n = w.size();
  auto numbers = [&](size_t from) {
    for (size_t i = from; i < n; ++i) {
      if (!IsNumber(w[i])) return "not a number: " + w[i];
    }
    return std::string();
  };
  if (c == "list" || c == "info") {
    return n == 1 ? "" : c + " takes no arguments";
  }
  if (c == "profile") return n <= 2 ? numbers(1) : "usage: mousectl profile [N]";
  if (c == "rate") return n <= 2 ? numbers(1) : "usage: mousectl rate [HZ]";
  if (c == "export" || c == "import") {
    return n == 2 && !w[1].empty() ? "" : "usage: mousectl " + c + " FILE";
  }
  if (c == "dpi") {
    if (n == 1) return "";
    const std::string& s = w[1];
    if (s == "set") return n == 4 ? numbers(2) : "usage: mousectl dpi set LEVEL VALUE";
    if (s == "active") return n == 3 ? numbers(2) : "usage: mousectl dpi active LEVEL";
    if (s == "count") return n == 3 ? numbers(2) : "usage: mousectl dpi count N";
    return "unknown dpi command: " + s + " (set, active or count)";
  }
  return "unknown command: " + c + " (try mousectl --help)";
}

std::string TroffText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '-') {
      out += "\\-";
    } else if (c == '\\') {
      out += "\\e";
    } else {
      out.push_back(c);
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

}  // namespace

platform::Result<Invocation> ParseArguments(const std::vector<std::string>& args) {
  Invocation inv;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      inv.json = true;
    } else if (a == "--help" || a == "-h") {
      inv.help = true;
    } else if (a == "--model") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        return platform::Fail(kExitUsage, "--model needs a model name");
      }
      inv.model = args[++i];
    } else if (a.rfind("--model=", 0) == 0) {
      if (a.size() == 8) return platform::Fail(kExitUsage, "--model needs a model name");
      inv.model = a.substr(8);
    } else if (a == "--simulate" || a.rfind("--simulate=", 0) == 0) {
      inv.simulate = a;
    } else if (a.size() > 1 && a[0] == '-') {
      return platform::Fail(kExitUsage, "unknown option: " + a);
    } else {
      inv.words.push_back(a);
    }
  }
  if (!inv.words.empty() && inv.words[0] == "help") {
    inv.words.erase(inv.words.begin());
    inv.help = true;
  }
  if (inv.help) return inv;
  if (std::string problem = UsageProblem(inv.words); !problem.empty()) {
    return platform::Fail(kExitUsage, problem);
  }
  return inv;
}

std::span<const CommandHelp> Commands() { return kCommands; }

std::string HelpText(const std::vector<std::string>& words) {
  const CommandHelp* command = nullptr;
  if (words.size() >= 2) command = Find(words[0] + " " + words[1]);
  if (!command && !words.empty()) command = Find(words[0]);
  std::ostringstream out;
  if (command) {
    out << "Usage: mousectl [--model NAME] [--simulate[=...]]"
        << (command->reads ? " [--json]" : "") << " " << command->synopsis << "\n\n"
        << command->summary << "\n";
    if (*command->details) out << command->details << "\n";
    // The further forms of a command with subcommands.
    const std::string prefix = std::string(command->name) + " ";
    for (const CommandHelp& c : kCommands) {
      if (std::string(c.name).rfind(prefix, 0) == 0) {
        out << "\n  mousectl " << c.synopsis << "\n      " << c.summary << "\n";
      }
    }
    return out.str();
  }
  out << "Usage: mousectl [OPTIONS] COMMAND [ARGUMENTS]\n\n" << kAbout << "\n\nCommands:\n";
  for (const CommandHelp& c : kCommands) {
    out << "  " << c.synopsis << "\n      " << c.summary << "\n";
  }
  out << "\nOptions:\n";
  for (const auto& o : kOptionsHelp) out << "  " << o[0] << "\n      " << o[1] << "\n";
  out << "\nExit status:\n";
  for (const auto& e : kExitHelp) out << "  " << e[0] << "  " << e[1] << "\n";
  out << "\n'mousectl COMMAND --help' shows the help of one command.\n";
  return out.str();
}

std::string ManPage(const std::string& version) {
  std::ostringstream out;
  out << ".TH MOUSECTL 1 \"\" \"mousectl " << TroffText(version) << "\" \"User Commands\"\n"
      << ".SH NAME\nmousectl \\- change the settings of the supported mice from the command "
         "line\n"
      << ".SH SYNOPSIS\n.B mousectl\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGUMENTS\\fR]\n"
      << ".SH DESCRIPTION\n"
      << TroffText(kAbout) << "\n.SH COMMANDS\n";
  for (const CommandHelp& c : kCommands) {
    out << ".TP\n.B " << TroffText(c.synopsis) << "\n" << TroffText(c.summary) << "\n";
    if (*c.details) out << TroffText(c.details) << "\n";
  }
  out << ".SH OPTIONS\n";
  for (const auto& o : kOptionsHelp) {
    out << ".TP\n.B " << TroffText(o[0]) << "\n" << TroffText(o[1]) << "\n";
  }
  out << ".SH EXIT STATUS\n";
  for (const auto& e : kExitHelp) out << ".TP\n.B " << e[0] << "\n" << TroffText(e[1]) << "\n";
  out << ".SH SEE ALSO\n.BR DeviceDriver (1)\n";
  return out.str();
}

std::string BashCompletion() {
  std::string top;
  std::string dpi;
  for (const CommandHelp& c : kCommands) {
    const std::string name = c.name;
    const size_t blank = name.find(' ');
    if (blank == std::string::npos) {
      top += (top.empty() ? "" : " ") + name;
    } else if (name.rfind("dpi ", 0) == 0) {
      dpi += (dpi.empty() ? "" : " ") + name.substr(blank + 1);
    }
  }
  std::ostringstream out;
  out << "# bash completion for mousectl\n"
      << "_mousectl() {\n"
      << "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
      << "  local options=\"--model --simulate --json --help\"\n"
      << "  if [[ \"$prev\" == --model ]]; then return 0; fi\n"
      << "  local i command=\"\" sub=\"\"\n"
      << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << "    case \"${COMP_WORDS[i]}\" in\n"
      << "      --model) ((i++)) ;;\n"
      << "      -*) ;;\n"
      << "      *) if [[ -z \"$command\" ]]; then command=\"${COMP_WORDS[i]}\";\n"
      << "         elif [[ -z \"$sub\" ]]; then sub=\"${COMP_WORDS[i]}\"; fi ;;\n"
      << "    esac\n"
      << "  done\n"
      << "  if [[ \"$cur\" == -* ]]; then\n"
      << "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\")); return 0\n"
      << "  fi\n"
      << "  case \"$command\" in\n"
      << "    \"\") COMPREPLY=($(compgen -W \"" << top << " help\" -- \"$cur\")) ;;\n"
      << "    dpi) [[ -z \"$sub\" ]] && COMPREPLY=($(compgen -W \"" << dpi
      << "\" -- \"$cur\")) ;;\n"
      << "    rate) [[ -z \"$sub\" ]] && COMPREPLY=($(compgen -W \"125 250 500 1000 2000 4000 "
         "8000\" -- \"$cur\")) ;;\n"
      << "    profile) [[ -z \"$sub\" ]] && COMPREPLY=($(compgen -W \"1 2 3 4 5\" -- \"$cur\")) "
         ";;\n"
      << "    export|import) [[ -z \"$sub\" ]] && COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
      << "    help) COMPREPLY=($(compgen -W \"" << top << "\" -- \"$cur\")) ;;\n"
      << "  esac\n"
      << "  return 0\n"
      << "}\n"
      << "complete -F _mousectl mousectl\n";
  return out.str();
}

std::string EncodeRequest(const std::vector<std::string>& args) {
  std::string text = "mousectl 1";
  for (const std::string& a : args) text += '\0' + a;
  return text;
}

std::vector<std::string> DecodeRequest(const std::string& request) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (true) {
    const size_t end = request.find('\0', at);
    parts.push_back(request.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  if (parts.empty() || parts[0] != "mousectl 1") return {};
  parts.erase(parts.begin());
  return parts;
}

std::string EncodeAnswer(const Answer& answer) {
  return std::to_string(answer.exit_code) + "\n" + std::to_string(answer.out.size()) + "\n" +
         answer.out + answer.err;
}

std::optional<Answer> DecodeAnswer(const std::string& text) {
  const size_t first = text.find('\n');
  if (first == std::string::npos) return std::nullopt;
  const size_t second = text.find('\n', first + 1);
  if (second == std::string::npos) return std::nullopt;
  const std::string code = text.substr(0, first);
  const std::string length = text.substr(first + 1, second - first - 1);
  if (!IsNumber(code) || !IsNumber(length)) return std::nullopt;
  const size_t n = std::strtoul(length.c_str(), nullptr, 10);
  if (text.size() - second - 1 < n) return std::nullopt;
  Answer answer;
  answer.exit_code = std::atoi(code.c_str());
  answer.out = text.substr(second + 1, n);
  answer.err = text.substr(second + 1 + n);
  return answer;
}

}  // namespace cli
