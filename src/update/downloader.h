// Downloads over HTTPS with certificate checks (plain HTTP only to a loopback address, where
// tests serve their files), with a size limit, progress and cancel. libcurl underneath.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace update {

enum class DownloadResult {
  kOk,
  kCannotStart,  // the client could not be set up
  kRefusedUrl,   // neither https:// nor http:// to a loopback address
  kFailed,       // connection, certificate, HTTP status or file error
  kTooLarge,     // more than the limit
  kCancelled,
};

struct DownloadOutcome {
  DownloadResult result = DownloadResult::kFailed;
  std::string reason;  // for the trace and the person; empty on success
  bool ok() const { return result == DownloadResult::kOk; }
};

struct DownloadOptions {
  uint64_t max_bytes = uint64_t{256} << 20;
  // Called now and then with the bytes so far and the announced total (0 when unknown).
  std::function<void(uint64_t done, uint64_t total)> progress;
  // Set from any thread to stop the transfer.
  const std::atomic<bool>* cancel = nullptr;
};

// True for https:// addresses and for http:// ones whose host is a numeric loopback address
// (127.0.0.0/8 or [::1]).
bool UrlAllowed(const std::string& url);

// Fetches `url` into `file` (replaced). On any failure `file` does not exist afterwards.
DownloadOutcome DownloadFile(const std::string& url, const std::string& file,
                             const DownloadOptions& options = {});

// Fetches a small text (at most `max_bytes`) into `text`.
DownloadOutcome FetchText(const std::string& url, std::string& text, uint64_t max_bytes = 65536,
                          const std::atomic<bool>* cancel = nullptr);

}  // namespace update
