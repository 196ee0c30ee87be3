// One running copy per user and caption: the first holds a lock file and listens on a local
// socket beside it (both in $XDG_RUNTIME_DIR, named from the caption); a later copy finds
// the lock taken and asks the first, through the socket, to bring its window to the front.
// The same socket carries requests of other tools (the command line): a request goes in, the
// first copy's answer comes back, one connection each.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform {

class SingleInstance {
 public:
  // runtime_dir empty: $XDG_RUNTIME_DIR, else /tmp with the user id in the names (another
  // user's copy must not count as ours).
  explicit SingleInstance(const std::string& caption, const std::string& runtime_dir = "");
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this is the first copy: it keeps the lock until destroyed, and `on_raise` runs
  // (on a listening thread) each time a later copy asks. False only when another copy holds
  // the lock; when it cannot be taken for another reason the result is true and Problem()
  // says why (the program should say so and start anyway).
  // `listen` false: the lock alone, no socket (a short-lived tool that serves nobody).
  bool Acquire(std::function<void()> on_raise, bool listen = true);
  // Why the lock could not be taken although no other copy holds it; empty otherwise.
  const std::string& Problem() const { return problem_; }
  // A later copy: asks the first to raise its window. True when the request was delivered.
  bool AskFirstToRaise();

  // The first copy answers requests with `handler` (run on the listening thread, one request
  // at a time) from now on; an empty handler answers nothing (the asker may try again).
  // Replacing the handler waits for a request in flight.
  using RequestHandler = std::function<std::string(const std::string& request)>;
  void SetRequestHandler(RequestHandler handler);
  // A later copy: hands `request` (at most kMaxRequestBytes) to the first and returns its
  // answer; empty when it gave none within `timeout_ms`; nullopt when no first copy listens.
  std::optional<std::string> SendRequest(const std::string& request, int timeout_ms);
  static constexpr size_t kMaxRequestBytes = 64 * 1024;

  const std::string& LockPath() const { return lock_path_; }
  const std::string& SocketPath() const { return socket_path_; }

 private:
  void Listen();

  std::string lock_path_;
  std::string problem_;
  std::string socket_path_;
  int lock_fd_ = -1;
  int listen_fd_ = -1;
  int stop_fd_[2] = {-1, -1};
  std::function<void()> on_raise_;
  std::mutex handler_mu_;  // held while a request is answered
  RequestHandler on_request_;
  std::thread listener_;
};

}  // namespace platform
