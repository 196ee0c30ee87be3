// Downloads against a server the test runs on 127.0.0.1: the bytes arrive whole or no file is
// left; addresses other than https and loopback http are refused; SHA-256 of known inputs.
#include "update/downloader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "app/app_fixture.h"
#include "support/temp_dir.h"
#include "update/local_http_server.h"
#include "update/sha256.h"

namespace update {
namespace {

namespace fs = std::filesystem;
using update_test::LocalHttpServer;

TEST(Downloader, AllowedAddresses) {
  struct Case {
    const char* url;
    bool allowed;
  };
  for (const Case& c :
       {Case{"https://vexmouse.example/download/", true}, Case{"http://127.0.0.1:8080/x", true},
        Case{"http://127.1.2.3/x", true}, Case{"http://[::1]:99/x", true},
        Case{"http://vexmouse.example/x", false}, Case{"http://localhost/x", false},
        Case{"http://127.0.0.1.example.com/x", false}, Case{"http://10.0.0.1/x", false},
        Case{"ftp://127.0.0.1/x", false}, Case{"file:///etc/passwd", false},
        Case{"not a url", false}}) {
    EXPECT_EQ(UrlAllowed(c.url), c.allowed) << c.url;
  }
}

TEST(Downloader, FetchesTheBodyIntoTheFileWithTheAgentAndNoCache) {
  LocalHttpServer server;
  server.Set("/dl//pkg.zip", {200, std::string("PK\x03\x04 body", 10)});
  test_support::TempDir dir;
  const std::string file = dir.path() + "pkg.zip";
  app_test::WriteFile(file, "old content that is longer");
  uint64_t last_done = 0;
  DownloadOptions options;
  options.progress = [&](uint64_t done, uint64_t) { last_done = done; };
  const DownloadOutcome got = DownloadFile(server.Base() + "/dl//pkg.zip", file, options);
  ASSERT_TRUE(got.ok()) << got.reason;
  EXPECT_EQ(app_test::ReadFile(file), std::string("PK\x03\x04 body", 10));
  EXPECT_EQ(last_done, 10u);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/dl//pkg.zip");
  EXPECT_NE(requests[0].head.find("User-Agent: IIC2.0/PC 5.5.0000\r\n"), std::string::npos);
  EXPECT_NE(requests[0].head.find("Pragma: no-cache"), std::string::npos);
  EXPECT_NE(requests[0].head.find("Accept: */*"), std::string::npos);
}

TEST(Downloader, FailuresLeaveNoFile) {
  LocalHttpServer server;
  server.Set("/big", {200, std::string(5000, 'z')});
  server.Set("/gone", {500, "broken"});
  test_support::TempDir dir;
  const std::string file = dir.path() + "pkg.zip";
  struct Case {
    std::string url;
    DownloadResult result;
  };
  for (const Case& c : {Case{server.Base() + "/missing", DownloadResult::kFailed},
                        Case{server.Base() + "/gone", DownloadResult::kFailed},
                        Case{server.Base() + "/big", DownloadResult::kTooLarge},
                        Case{"http://vexmouse.example/big", DownloadResult::kRefusedUrl}}) {
    app_test::WriteFile(file, "an older package");
    DownloadOptions options;
    options.max_bytes = 4096;
    const DownloadOutcome got = DownloadFile(c.url, file, options);
    EXPECT_EQ(got.result, c.result) << c.url << ": " << got.reason;
    EXPECT_FALSE(got.reason.empty());
    EXPECT_FALSE(fs::exists(file)) << c.url;
  }
}

TEST(Downloader, CancelledHalfWayLeavesNoFile) {
  LocalHttpServer server;
  // Half the body, then the server waits: only the cancel can end the transfer.
  server.Set("/slow", {200, std::string(2000, 'q'), 1000});
  test_support::TempDir dir;
  const std::string file = dir.path() + "pkg.zip";
  std::atomic<bool> cancel{false};
  DownloadOptions options;
  options.cancel = &cancel;
  options.progress = [&](uint64_t done, uint64_t total) {
    if (done >= 1000) {
      EXPECT_EQ(total, 2000u);
      cancel.store(true);
    }
  };
  const DownloadOutcome got = DownloadFile(server.Base() + "/slow", file, options);
  EXPECT_EQ(got.result, DownloadResult::kCancelled);
  EXPECT_FALSE(fs::exists(file));
  server.Release();
}

TEST(Downloader, FetchTextReadsTheVersionFile) {
  LocalHttpServer server;
  server.Set("/u/version.ini", {200, "driver_version=2.2.0\n"});
  std::string text;
  ASSERT_TRUE(FetchText(server.Base() + "/u/version.ini", text).ok());
  EXPECT_EQ(text, "driver_version=2.2.0\n");
  EXPECT_EQ(FetchText(server.Base() + "/u/none", text).result, DownloadResult::kFailed);
  EXPECT_EQ(text, "");
}

TEST(Sha256, KnownDigests) {
  test_support::TempDir dir;
  app_test::WriteFile(dir.path() + "abc", "abc");
  app_test::WriteFile(dir.path() + "empty", "");
  EXPECT_EQ(FileSha256(dir.path() + "abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(FileSha256(dir.path() + "empty"),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(FileSha256(dir.path() + "missing"), "");
  EXPECT_TRUE(SameDigest("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
                         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
  EXPECT_FALSE(SameDigest("", ""));
  EXPECT_FALSE(SameDigest("ba7816bf", "ba7816bf"));
}

}  // namespace
}  // namespace update
