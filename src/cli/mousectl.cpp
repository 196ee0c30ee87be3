// mousectl: the command line beside the window program. It hands each request to a running
// window program over its single-instance socket, or else opens the mouse itself, holding the
// single-instance lock meanwhile, so two programs never talk to the mouse at once.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "cli/command_line.h"
#include "cli/sessions.h"
#include "device/hidapi_bus.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "sim/virtual_bus.h"
#include "ui/manager.h"

namespace {

constexpr int kAttemptMs = 10000;  // waiting for another holder of the mouse
constexpr int kRetryStepMs = 100;
constexpr int kAnswerWaitMs = 70000;  // the window's own bound is 60 s of tasks

int Print(const cli::Answer& answer) {
  if (!answer.out.empty()) std::fwrite(answer.out.data(), 1, answer.out.size(), stdout);
  if (!answer.err.empty()) std::fprintf(stderr, "%s\n", answer.err.c_str());
  return answer.exit_code;
}

int Usage(const std::string& reason) {
  return Print(cli::Answer{cli::kExitUsage, "", "mousectl: " + reason});
}

// The window program's own files: caption, language and the folders follow its rules.
void PrepareEnvironment(const std::string& caption) {
  platform::AppKey key = platform::AppKey::ForCaption(caption);
  int language = platform::ReadLanguageId(key);
  if (language == 0) language = app::LanguageIdForLocale(app::UserUiLocale());
  platform::SetLanguageId(language);
}

std::unique_ptr<hid::Bus> MakeBus(const cli::Invocation& inv, platform::Clock& clock) {
  if (!inv.simulate) return std::make_unique<device::HidapiBus>();
  std::string token = *inv.simulate;
  char* argv[] = {const_cast<char*>("mousectl"), token.data()};
  const auto option = app::FindSimulateOption(2, argv);
  auto bus = std::make_unique<sim::VirtualBus>(clock);
  const auto attachment = option->attachment == "cable"  ? sim::Attachment::kCable
                          : option->attachment == "both" ? sim::Attachment::kBoth
                                                         : sim::Attachment::kReceiver;
  bus->AddMouse(sim::ModelFromName(option->model).value_or(sim::Model::kK7Mouse), attachment);
  return bus;
}

int RunHere(const cli::Invocation& inv, const std::string& caption) {
  platform::Clock& clock = platform::SystemClock();
  std::unique_ptr<hid::Bus> bus = MakeBus(inv, clock);
  platform::AppKey key = platform::AppKey::ForCaption(caption);
  const std::string user_data = platform::UserDataDir();
  platform::EnsureDirectory(user_data + "db");
  cli::StandaloneSession session(*bus, clock, key, user_data);
  return Print(cli::RunCommand(session, inv));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // Build-time outputs: the manual page and the completion script come from the help.
  if (args.size() == 1 && args[0] == "--help-man") {
    std::fputs(cli::ManPage(MOUSECTL_VERSION).c_str(), stdout);
    return 0;
  }
  if (args.size() == 1 && args[0] == "--help-completion") {
    std::fputs(cli::BashCompletion().c_str(), stdout);
    return 0;
  }
  platform::Result<cli::Invocation> parsed = cli::ParseArguments(args);
  if (!parsed) return Usage(parsed.error().reason);
  const cli::Invocation& inv = parsed.value();
  if (inv.help) return Print(cli::Answer{cli::kExitDone, cli::HelpText(inv.words), ""});
  for (const std::string& a : args) {
    if (a.find('\n') != std::string::npos) return Usage("an argument holds a line break");
  }
  // The window program runs elsewhere: files are named from here.
  cli::Invocation& invocation = parsed.value();
  if (invocation.words[0] == "export" || invocation.words[0] == "import") {
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(invocation.words[1], error).string();
    if (!error) invocation.words[1] = absolute;
  }
  std::vector<std::string> forwarded = invocation.words;
  if (invocation.json) forwarded.push_back("--json");
  if (invocation.model) forwarded.insert(forwarded.end(), {"--model", *invocation.model});

  app::ReadConfiguration();
  const std::string caption = ui::Manager::GetDeviceName();
  PrepareEnvironment(caption);

  const std::string request = cli::EncodeRequest(forwarded);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAttemptMs);
  while (true) {
    platform::SingleInstance instance(caption);
    // The lock alone, without a socket: a window started meanwhile waits for it.
    if (instance.Acquire({}, false)) return RunHere(parsed.value(), caption);
    if (const std::optional<std::string> text = instance.SendRequest(request, kAnswerWaitMs)) {
      if (const std::optional<cli::Answer> answer = cli::DecodeAnswer(*text)) {
        return Print(*answer);
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryStepMs));
  }
  return Print(cli::Answer{cli::kExitMouse, "",
                           "mousectl: the window program holds the mouse and does not answer"});
}
