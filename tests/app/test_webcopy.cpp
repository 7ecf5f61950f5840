// The download component against a scripted HTTP server on 127.0.0.1: complete files,
// events, and every way a transfer can fail leaving no file behind; its text routines.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <sstream>
#include <vector>
#include "LoopbackServer.h"
#include "WindowTestSupport.h"
#include "app/WebCopy.h"
#include "classlib/stdctrls/ProgressBars.h"
#include "classlib/stdctrls/StdLabels.h"
#include "tests/ApplicationTestSupport.h"

namespace {

std::string Pattern(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return body;
}

std::string ReadFile(const String& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Records what a TWebCopy reports.
struct TEvents {
  int CopyDone = 0;
  std::vector<int> FileDone;
  std::vector<int> Errors;
  std::vector<String> NotFound;
  std::vector<int> Progress;  // each new position of the bar
  void Attach(TWebCopy& copy) {
    copy.OnCopyDone = [this](TObject*) { ++CopyDone; };
    copy.OnFileDone = [this, &copy](TObject*, int idx) {
      FileDone.push_back(idx);
      if (copy.GetProgressBar()) Progress.push_back(copy.GetProgressBar()->GetPosition());
    };
    copy.OnError = [this](TObject*, int code) { Errors.push_back(code); };
    copy.OnURLNotFound = [this](TObject*, const String& url) { NotFound.push_back(url); };
  }
};

class WebCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { UnsetProxyVariables(); }
  String Url(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(Server.Port()) + String(path.begin(), path.end());
  }
  void AddItem(const std::string& path) {
    TWebCopyItem* item = Copy.GetItems()->Add();
    item->URL = Url(path);
    item->TargetDir = Folder.Path();
  }
  void AddFtpItem(int port, const String& password, const String& path, const String& folder) {
    TWebCopyItem* item = Copy.GetItems()->Add();
    item->Protocol = wpFtp;
    item->FTPHost = L"127.0.0.1";
    item->FTPPort = port;
    item->FTPUserID = L"student";
    item->FTPPassword = password;
    item->URL = path;
    item->TargetDir = folder;
  }
  // Runs Execute and waits for OnCopyDone.
  bool RunToEnd(DWORD timeoutMs = 20000) {
    Copy.Execute();
    return PumpApplicationUntil([&] { return Events.CopyDone > 0; }, timeoutMs, 5);
  }

  TLoopbackHttpServer Server;
  TTestFolder Folder{L"webcopy_test_"};
  TWebCopy Copy{nullptr};
  TEvents Events;
};

}  // namespace

TEST_F(WebCopyTest, DownloadsWholeFilesWithAndWithoutLength) {
  const std::string body = Pattern(300000);
  Server.Script("/a/Updbexer.mdb", {200, body});
  Server.Script("/b/nolength.bin", {200, body, false});
  AddItem("/a/Updbexer.mdb");
  AddItem("/b/nolength.bin");
  Events.Attach(Copy);
  std::vector<String> fileLines;
  Copy.OnFileDone = [&](TObject*, int idx) {
    Events.FileDone.push_back(idx);
    Events.Progress.push_back(Copy.GetProgressBar()->GetPosition());
    fileLines.push_back(Copy.GetFileLabel()->GetCaption());
    if (idx == 0) {
      HWND dialog = Copy.GetProgressForm()->GetHandle();
      for (int i = 0; i < 20; ++i) {
        Application->ProcessMessages();
        Sleep(10);
      }
      SaveWindowShot(dialog, L"webcopy_progress");
    }
  };
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(Events.CopyDone, 1);
  EXPECT_EQ(Events.FileDone, (std::vector<int>{0, 1}));
  EXPECT_EQ(Events.Progress.at(0), 100);
  EXPECT_EQ(fileLines.at(0), L"File : 1 of 2 : Updbexer.mdb from 127.0.0.1:" + std::to_wstring(Server.Port()));
  EXPECT_TRUE(Events.Errors.empty());
  EXPECT_TRUE(Events.NotFound.empty());
  EXPECT_EQ(ReadFile(Folder.Path() + L"Updbexer.mdb"), body);
  EXPECT_EQ(ReadFile(Folder.Path() + L"nolength.bin"), body);
  EXPECT_EQ(Folder.Files().size(), 2u);
  EXPECT_TRUE(Copy.GetSucceeded());
  EXPECT_EQ(Copy.GetProgressForm(), nullptr);
}

TEST_F(WebCopyTest, NotFoundShortAndRefusedLeaveNoFile) {
  const std::string body = Pattern(200000);
  Server.Script("/short.bin", {200, body, true, 50000});
  AddItem("/missing/Updbexer.mdb");  // 404
  AddItem("/short.bin");             // dropped mid-body
  Events.Attach(Copy);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(Events.Errors, (std::vector<int>{404}));
  EXPECT_EQ(Events.FileDone, (std::vector<int>{0, 1}));
  EXPECT_EQ(Copy.GetItemResult(0), wcrHttpError);
  EXPECT_NE(Copy.GetItemResult(1), wcrDone);
  EXPECT_FALSE(Copy.GetSucceeded());
  EXPECT_TRUE(Folder.Files().empty());
}

TEST_F(WebCopyTest, UnreachablePortAndBadNames) {
  // A port nobody listens on: the listener of a server that is gone.
  int deadPort = 0;
  {
    TLoopbackHttpServer gone;
    deadPort = gone.Port();
  }
  TWebCopyItem* item = Copy.GetItems()->Add();
  item->URL = L"http://127.0.0.1:" + std::to_wstring(deadPort) + L"/Updbexer.mdb";
  item->TargetDir = Folder.Path();
  Events.Attach(Copy);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(Events.NotFound.size(), 1u);
  EXPECT_EQ(Copy.GetItemResult(0), wcrNotFound);

  // A device name or an empty name: the address is still asked for, an unreachable or
  // refused one is reported as any other and the run goes on; one that answers is refused
  // where its file would be made, which ends the run, no file made.
  for (const std::string path : {"/dir/", "/con", "/NUL.mdb", "/a/b?x=1"}) {
    Events = TEvents();
    Copy.GetItems()->Clear();
    TWebCopyItem* unreachable = Copy.GetItems()->Add();
    unreachable->URL = L"http://127.0.0.1:" + std::to_wstring(deadPort) + String(path.begin(), path.end());
    unreachable->TargetDir = Folder.Path();
    AddItem("/missing" + path);  // 404
    Server.Script(path, {200, "x"});
    AddItem(path);
    Server.Script("/next.bin", {200, "x"});
    AddItem("/next.bin");
    Events.Attach(Copy);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Events.NotFound.size(), 1u) << path;
    EXPECT_EQ(Events.Errors, (std::vector<int>{404})) << path;
    EXPECT_EQ(Events.FileDone, (std::vector<int>{0, 1})) << path;
    EXPECT_EQ(Copy.GetItemResult(2), wcrBadName) << path;
    EXPECT_EQ(Copy.GetItemResult(3), wcrNone) << path << ": the run ends";
  }
  EXPECT_TRUE(Folder.Files().empty());
}

TEST_F(WebCopyTest, CancelDuringAStalledItemEndsTheRunWithoutAFile) {
  const std::string body = Pattern(100000);
  Server.Script("/one.bin", {200, body});
  TReply stalled{200, body};
  stalled.StallAfter = 10000;
  Server.Script("/two.bin", stalled);
  AddItem("/one.bin");
  AddItem("/two.bin");
  AddItem("/one.bin");
  Events.Attach(Copy);
  Copy.Execute();
  // A second Execute while running does nothing.
  Copy.Execute();
  ASSERT_TRUE(PumpApplicationUntil([&] { return Copy.GetCurrentItem() == 2 && FileExists(Folder.Path() + L"two.bin.part"); },
                                   10000, 5));
  Copy.CancelClick(nullptr);
  Server.Release();
  ASSERT_TRUE(PumpApplicationUntil([&] { return Events.CopyDone > 0; }, 20000, 5));
  EXPECT_EQ(Events.CopyDone, 1);
  EXPECT_EQ(Events.FileDone, (std::vector<int>{0}));  // none for the cancelled item, no third
  EXPECT_EQ(Server.Requests(), 2);
  EXPECT_EQ(Folder.Files(), (std::vector<String>{L"one.bin"}));
  // The flag is reset by the next run only.
  EXPECT_TRUE(Copy.GetCancelled());
}

TEST_F(WebCopyTest, FreedDuringARunCancelsAndWaits) {
  TReply stalled{200, Pattern(100000)};
  stalled.StallAfter = 5000;
  Server.Script("/stall.bin", stalled);
  auto* copy = new TWebCopy(nullptr);
  TWebCopyItem* item = copy->GetItems()->Add();
  item->URL = Url("/stall.bin");
  item->TargetDir = Folder.Path();
  int done = 0;
  copy->OnCopyDone = [&](TObject*) { ++done; };
  copy->Execute();
  ASSERT_TRUE(PumpApplicationUntil([&] { return FileExists(Folder.Path() + L"stall.bin.part"); }, 10000, 5));
  std::thread release([&] {
    Sleep(200);
    Server.Release();
  });
  delete copy;  // returns once the worker has ended
  release.join();
  EXPECT_EQ(done, 0);
  EXPECT_TRUE(Folder.Files().empty());
}

TEST(WebCopyText, NamesHostsSizesRates) {
  struct Case {
    const wchar_t* In;
    const wchar_t* Name;
    const wchar_t* Host;
  };
  for (const Case& c : std::vector<Case>{
           {L"http://www.example.com/dir/Updbexer.mdb", L"Updbexer.mdb", L"www.example.com"},
           {L"HTTP://user:pw@host:8080/a/b.zip", L"b.zip", L"host:8080"},
           {L"ftp://host/dir/", L"", L"host"},
           {L"pub\\files\\x.bin", L"x.bin", L"pub\\files\\x.bin"},
           {L"host", L"host", L"host"},
       }) {
    EXPECT_EQ(ExtractURLFileName(c.In), c.Name) << c.In;
    EXPECT_EQ(ExtractURLHost(c.In), c.Host) << c.In;
  }
  EXPECT_EQ(AddProxyCredentials(L"HTTP://host/f", L"u", L"p"), L"http://u:p@host/f");
  EXPECT_EQ(AddProxyCredentials(L"http://host/f", L"", L"p"), L"http://host/f");
  EXPECT_EQ(AddProxyCredentials(L"ftp://host/f", L"u", L"p"), L"ftp://host/f");
  EXPECT_EQ(FormatByteSize(999), L"999bytes");
  EXPECT_EQ(FormatByteSize(1000), L"1.00 Kb");
  EXPECT_EQ(FormatByteSize(1500000), L"1.50 Mb");
  EXPECT_EQ(FormatByteSize(6000000000ull), L"6000.00 Mb");
  EXPECT_EQ(FormatTransferRate(999), L"999 bytes/sec");
  EXPECT_EQ(FormatTransferRate(2048), L"2.05 Kb/sec");
  EXPECT_EQ(FormatTransferRate(1000000), L"1.00 Mb/sec");
  EXPECT_EQ(ProgressPercent(3000000000ull, 6000000000ull), 50);  // past 32 bits
  EXPECT_EQ(ProgressPercent(1, 0), 0);
  for (const wchar_t* bad : {L"", L".", L"..", L"con", L"Nul.mdb", L"COM1", L"lpt9.txt", L"a:b", L"a?b", L"a*", L"x."}) {
    EXPECT_FALSE(IsUsableFileName(bad)) << bad;
  }
  for (const wchar_t* good : {L"Updbexer.mdb", L"console.txt", L"COM10", L"升级.mdb"}) {
    EXPECT_TRUE(IsUsableFileName(good)) << good;
  }
}

TEST_F(WebCopyTest, FtpGivesTheSameFileAsHttp) {
  const std::string body = Pattern(250000);
  Server.Script("/pub/Updbexer.mdb", {200, body});
  TLoopbackFtpServer ftp;
  ftp.Script("Updbexer.mdb", body);
  ftp.Login("student", "secret");
  TTestFolder httpFolder{L"webcopy_test_"};
  TTestFolder rootCopy{L"webcopy_test_"};
  TWebCopyItem* item = Copy.GetItems()->Add();
  item->URL = Url("/pub/Updbexer.mdb");
  item->TargetDir = httpFolder.Path();
  AddFtpItem(ftp.Port(), L"secret", L"/pub/Updbexer.mdb", Folder.Path());
  AddFtpItem(ftp.Port(), L"secret", L"/pub/missing.mdb", Folder.Path());  // a file the server does not have
  AddFtpItem(ftp.Port(), L"secret", L"/pub/", Folder.Path());  // no name: no remote file either
  AddFtpItem(ftp.Port(), L"secret", L"/pub/Updbexer.mdb", rootCopy.Path());  // still tried
  Events.Attach(Copy);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(Copy.GetItemResult(0), wcrDone);
  EXPECT_EQ(Copy.GetItemResult(1), wcrDone);
  EXPECT_EQ(Copy.GetItemResult(2), wcrNotFound);
  EXPECT_EQ(Copy.GetItemResult(3), wcrNotFound);
  EXPECT_EQ(Copy.GetItemResult(4), wcrDone);
  EXPECT_EQ(Events.NotFound, (std::vector<String>{L"/pub/missing.mdb", L"/pub/"}));
  EXPECT_EQ(Events.FileDone, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(ftp.LastDirectory(), "/pub/");
  EXPECT_EQ(ReadFile(Folder.Path() + L"Updbexer.mdb"), ReadFile(httpFolder.Path() + L"Updbexer.mdb"));
  EXPECT_EQ(ReadFile(Folder.Path() + L"Updbexer.mdb"), body);
  EXPECT_EQ(Folder.Files().size(), 1u);

  // A wrong password: the connection fails with code 0.
  Events = TEvents();
  Copy.GetItems()->Clear();
  AddFtpItem(ftp.Port(), L"wrong", L"/pub/Updbexer.mdb", httpFolder.Path());
  Events.Attach(Copy);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(Events.Errors, (std::vector<int>{0}));

  // A file named from the root: the directory part "/" is changed to as any other.
  Events = TEvents();
  Copy.GetItems()->Clear();
  TTestFolder rootFolder{L"webcopy_test_"};
  AddFtpItem(ftp.Port(), L"secret", L"/Updbexer.mdb", rootFolder.Path());
  Events.Attach(Copy);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(Copy.GetItemResult(0), wcrDone);
  EXPECT_EQ(ftp.LastDirectory(), "/");
}

TEST_F(WebCopyTest, ANewRunStartedFromOnCopyDoneRuns) {
  Server.Script("/a.bin", {200, Pattern(5000)});
  AddItem("/a.bin");
  int runs = 0;
  Copy.OnCopyDone = [&](TObject*) {
    if (++runs == 1) Copy.Execute();
  };
  Copy.Execute();
  ASSERT_TRUE(PumpApplicationUntil([&] { return runs == 2; }, 20000, 5));
  EXPECT_EQ(Server.Requests(), 2);
  EXPECT_TRUE(Copy.GetSucceeded());
}
