// One running copy per user and caption: the first holds a lock file and listens on a local
// socket beside it (both in $XDG_RUNTIME_DIR, named from the caption); a later copy finds
// the lock taken and asks the first, through the socket, to bring its window to the front.
#pragma once

#include <functional>
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
  bool Acquire(std::function<void()> on_raise);
  // Why the lock could not be taken although no other copy holds it; empty otherwise.
  const std::string& Problem() const { return problem_; }
  // A later copy: asks the first to raise its window. True when the request was delivered.
  bool AskFirstToRaise();

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
  std::thread listener_;
};

}  // namespace platform
