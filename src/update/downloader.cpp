#include "update/downloader.h"

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "log/trace.h"

namespace update {
namespace {

// What the update server has always been sent.
constexpr const char* kAgent = "IIC2.0/PC 5.5.0000";

struct Transfer {
  uint64_t max_bytes = 0;
  uint64_t received = 0;
  bool too_large = false;
  FILE* file = nullptr;
  std::string* text = nullptr;
  const DownloadOptions* options = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  bool cancelled = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  if (t->received + n > t->max_bytes) {
    t->too_large = true;
    return 0;  // ends the transfer with a write error
  }
  t->received += n;
  if (t->text) {
    t->text->append(data, n);
    return n;
  }
  return std::fwrite(data, 1, n, t->file);
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (t->cancel && t->cancel->load()) {
    t->cancelled = true;
    return 1;
  }
  if (t->options && t->options->progress) {
    t->options->progress(static_cast<uint64_t>(now), static_cast<uint64_t>(total));
  }
  return 0;
}

bool IsNumericLoopback(const std::string& host) {
  if (host == "[::1]" || host == "::1") return true;
  // 127.a.b.c, digits and dots only.
  if (host.rfind("127.", 0) != 0) return false;
  int dots = 0;
  for (char c : host) {
    if (c == '.') {
      ++dots;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return dots == 3;
}

DownloadOutcome Run(const std::string& url, Transfer& t) {
  static std::once_flag init;
  std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (!UrlAllowed(url)) return {DownloadResult::kRefusedUrl, "address refused: " + url};
  CURL* curl = curl_easy_init();
  if (!curl) return {DownloadResult::kCannotStart, "cannot start the download client"};
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Accept: */*");
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects only to https: a server cannot send the client to plain HTTP elsewhere.
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
  // A stalled server ends the transfer instead of holding the worker for ever.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(t.max_bytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnData);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  const CURLcode rc = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  if (rc == CURLE_OK) return {DownloadResult::kOk, {}};
  if (t.cancelled) return {DownloadResult::kCancelled, "cancelled"};
  if (t.too_large || rc == CURLE_FILESIZE_EXCEEDED) {
    return {DownloadResult::kTooLarge, "larger than " + std::to_string(t.max_bytes) + " bytes"};
  }
  return {DownloadResult::kFailed, error[0] ? error : curl_easy_strerror(rc)};
}

}  // namespace

bool UrlAllowed(const std::string& url) {
  CURLU* u = curl_url();
  if (!u) return false;
  bool allowed = false;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    char* scheme = nullptr;
    char* host = nullptr;
    if (curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
      const std::string s = scheme;
      allowed = s == "https" || (s == "http" && IsNumericLoopback(host));
    }
    curl_free(scheme);
    curl_free(host);
  }
  curl_url_cleanup(u);
  return allowed;
}

DownloadOutcome DownloadFile(const std::string& url, const std::string& file,
                             const DownloadOptions& options) {
  std::error_code ec;
  std::filesystem::remove(file, ec);
  Transfer t;
  t.max_bytes = options.max_bytes;
  t.options = &options;
  t.cancel = options.cancel;
  DownloadOutcome out;
  if (!UrlAllowed(url)) {
    out = {DownloadResult::kRefusedUrl, "address refused: " + url};
  } else {
    t.file = std::fopen(file.c_str(), "wb");
    if (!t.file) {
      out = {DownloadResult::kFailed, "cannot create " + file};
    } else {
      out = Run(url, t);
      if (std::fclose(t.file) != 0 && out.ok())
        out = {DownloadResult::kFailed, "cannot write " + file};
    }
  }
  if (!out.ok()) {
    std::filesystem::remove(file, ec);
    Trace(4, "Download %s: %s", url.c_str(), out.reason.c_str());
  } else {
    Trace(2, "Download %s: %llu bytes", url.c_str(), static_cast<unsigned long long>(t.received));
  }
  return out;
}

DownloadOutcome FetchText(const std::string& url, std::string& text, uint64_t max_bytes,
                          const std::atomic<bool>* cancel) {
  text.clear();
  Transfer t;
  t.max_bytes = max_bytes;
  t.text = &text;
  t.cancel = cancel;
  DownloadOutcome out = Run(url, t);
  if (!out.ok()) {
    text.clear();
    Trace(4, "Fetch %s: %s", url.c_str(), out.reason.c_str());
  }
  return out;
}

}  // namespace update
