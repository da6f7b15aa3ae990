// Saving pictures and the errors a program can see: round trips through loadImageFile, the
// table of refused saves (each leaving its folder exactly as it was), and lastError with its
// line on standard error. The grid picture comes from the loading tests' resources.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <sys/stat.h>

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "context.h"
#include "test_picture.h"

using namespace Slate;

namespace {

std::wstring folder;

std::wstring path(const std::wstring& name) {
  return folder + L"\\" + name;
}

class SaveImageFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"slate-saving-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  static void TearDownTestSuite() {
    std::system(("rmdir /s /q \"" + std::string(folder.begin(), folder.end()) + "\"").c_str());
  }
};

IMAGE& grid() {
  static IMAGE picture;
  if (picture.bitmap == nullptr) loadImageResource(&picture, L"IMAGE", L"GRID", 0, 0, false);
  return picture;
}

// Mean absolute difference per colour channel; bits 24-31 must be clear in both.
double meanDifference(const IMAGE& got, const IMAGE& want) {
  double sum = 0;
  for (int i = 0; i < want.width * want.height; ++i) {
    if (got.pixels[i] >> 24) return 255;
    for (int shift = 0; shift < 24; shift += 8) {
      sum += std::abs(int(got.pixels[i] >> shift & 0xFF) - int(want.pixels[i] >> shift & 0xFF));
    }
  }
  return sum / (3.0 * want.width * want.height);
}

// Every file of the folder with its bytes.
std::vector<std::pair<std::wstring, std::string>> listing() {
  std::vector<std::pair<std::wstring, std::string>> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path(L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    std::string bytes;
    if (FILE* f = _wfopen(path(found.cFileName).c_str(), L"rb")) {
      for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(char(c));
      std::fclose(f);
    }
    files.emplace_back(found.cFileName, bytes);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

void writeText(const std::wstring& file, const char* text) {
  FILE* f = _wfopen(file.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  std::fputs(text, f);
  std::fclose(f);
}

TEST_F(SaveImageFile, RefusedSavesChangeNoFile) {
  writeText(path(L"kept.png"), "the old picture");
  writeText(path(L"locked.png"), "read-only");
  SetFileAttributesW(path(L"locked.png").c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryW(path(L"folder.png").c_str(), nullptr);
  writeText(path(L"busy.png"), "open elsewhere");
  // Held open without sharing, as another program may: the file cannot be replaced.
  const HANDLE busy =
      CreateFileW(path(L"busy.png").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  IMAGE empty;
  const std::wstring tooLong = path(std::wstring(300, L'n') + L".png");
  const std::wstring huge(100000, L'h');
  const struct {
    const char* name;
    const IMAGE* image;
    std::wstring file;
    bool nullPath;
  } cases[] = {
      {"null path", &grid(), L"", true},
      {"empty path", &grid(), L"", false},
      {"unknown extension", &grid(), path(L"kept.gif"), false},
      {"no extension", &grid(), path(L"kept"), false},
      {"missing folder", &grid(), path(L"missing\\new.png"), false},
      {"read-only target", &grid(), path(L"locked.png"), false},
      {"folder as target", &grid(), path(L"folder.png"), false},
      {"target in use", &grid(), path(L"busy.png"), false},
      {"empty image", &empty, path(L"kept.png"), false},
      {"no window", nullptr, path(L"kept.bmp"), false},
      {"path too long", &grid(), tooLong, false},
      {"path over any limit", &grid(), huge + L".bmp", false},
  };
  ASSERT_EQ(graphContext.window.pixels, nullptr);  // before the round trips fill the window's
  const auto before = listing();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(saveImageFile(c.image, c.nullPath ? nullptr : c.file.c_str()));
    EXPECT_EQ(std::wstring(lastError()).rfind(L"saveImageFile: ", 0), 0u) << lastError();
    EXPECT_TRUE(listing() == before);
  }
  CloseHandle(busy);
  SetFileAttributesW(path(L"locked.png").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Runs fail() with standard error sent to a file; returns what was written there.
std::string stderrOf(const std::function<void()>& fail) {
  const std::wstring file = path(L"stderr.txt");
  std::fflush(stderr);
  const int saved = _dup(2);
  const int captured =
      _wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  _dup2(captured, 2);
  const HANDLE savedHandle = GetStdHandle(STD_ERROR_HANDLE);
  SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(2)));
  fail();
  std::fflush(stderr);
  SetStdHandle(STD_ERROR_HANDLE, savedHandle);
  _dup2(saved, 2);
  _close(saved);
  _close(captured);
  std::string text;
  if (FILE* f = _wfopen(file.c_str(), L"rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(char(c));
    std::fclose(f);
  }
  DeleteFileW(file.c_str());
  return text;
}

TEST_F(SaveImageFile, ErrorsAreSeenPerThreadAndOnStandardErrorUntilSwitchedOff) {
  IMAGE picture;
  const std::wstring missing = path(L"missing.png");
  EXPECT_EQ(stderrOf([&] {
              EXPECT_FALSE(loadImageFile(&picture, missing.c_str(), 0, 0, 0));
            }).rfind("Slate: loadImageFile: ", 0),
            0u);
  // A long path is shown by its start and end, so the reason after it is kept.
  EXPECT_FALSE(loadImageFile(&picture, (missing + std::wstring(1000, L'n')).c_str(), 0, 0, 0));
  EXPECT_NE(std::wstring(lastError()).find(L"nnn: "), std::wstring::npos) << lastError();
  // A relative path is named by the whole path it was looked for at.
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(folder.c_str());
  EXPECT_FALSE(loadImageFile(&picture, L"missing.png", 0, 0, 0));
  SetCurrentDirectoryW(current);
  const std::wstring reason = lastError();
  EXPECT_EQ(reason.rfind(L"loadImageFile: " + missing + L": ", 0), 0u) << reason;
  std::wstring other;
  std::thread([&] {
    other = lastError();  // a new thread has no reason yet
    saveImageFile(nullptr, nullptr);
    other += L"|" + std::wstring(lastError());
  }).join();
  EXPECT_EQ(other, L"|saveImageFile: no path given");
  EXPECT_EQ(lastError(), reason);
  setErrorOutput(false);
  EXPECT_EQ(stderrOf([] { saveImageFile(nullptr, L"x.txt"); }), "");
  EXPECT_EQ(std::wstring(lastError()).rfind(L"saveImageFile: x.txt: unknown", 0), 0u);
  setErrorOutput(true);
}

TEST_F(SaveImageFile, RoundTripsThroughLoadImageFile) {
  ASSERT_EQ(grid().width, TestPicture::kWidth);
  // The window's back buffer, holding the grid while an image is the target.
  IMAGE target(4, 4);
  setDrawTarget(&target);
  loadImageResource(nullptr, L"IMAGE", L"GRID", 0, 0, false);
  const struct {
    const wchar_t* name;
    const IMAGE* image;
    double tolerance;  // mean difference: JPEG blurs the cells' sharp coloured edges
  } cases[] = {
      {L"grid.bmp", &grid(), 0},   {L"grid.png", &grid(), 0},   {L"GRID.Png", &grid(), 0},
      {L"window.png", nullptr, 0}, {L"window.bmp", nullptr, 0}, {L"grid.jpg", &grid(), 10},
      {L"grid.JPEG", &grid(), 10}, {L"old.png", &grid(), 0},  // replaces a file of text
  };
  writeText(path(L"old.png"), "not a picture");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    ASSERT_TRUE(saveImageFile(c.image, path(c.name).c_str())) << lastError();
    IMAGE loaded;
    ASSERT_TRUE(loadImageFile(&loaded, path(c.name).c_str(), 0, 0, false)) << lastError();
    ASSERT_EQ(loaded.width, TestPicture::kWidth);
    ASSERT_EQ(loaded.height, TestPicture::kHeight);
    EXPECT_LE(meanDifference(loaded, grid()), c.tolerance);
  }
}

// Four threads load and save at once, a thousand calls in all: each thread enters COM at its
// first call and stays in it to its end, so no thread's leaving can undo another's entering.
TEST_F(SaveImageFile, FourThreadsLoadAndSaveAtOnce) {
  const std::wstring shared = path(L"shared.png");
  ASSERT_TRUE(saveImageFile(&grid(), shared.c_str())) << lastError();
  std::atomic<int> succeeded{0}, stillInCom{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      IMAGE picture;
      for (int i = 0; i < 125; ++i) {
        succeeded += loadImageFile(&picture, shared.c_str(), 0, 0, true);
        succeeded +=
            saveImageFile(&picture, path(L"thread" + std::to_wstring(t) + L".png").c_str());
      }
      const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      stillInCom += again == S_FALSE;  // already in its apartment: entering only counts
      if (SUCCEEDED(again)) CoUninitialize();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(succeeded, 1000);
  EXPECT_EQ(stillInCom, 4);
}

// Saving over files that exist, are held or hidden: a save either puts the whole picture in
// place, keeping the target's attributes and touching no other file, or is refused with its
// reason and changes no file at all.
TEST_F(SaveImageFile, ReplacesWhatCanBeReplacedAndRefusesTheRest) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  constexpr DWORD kNotHeld = ~0u;
  const struct {
    const wchar_t* name;
    DWORD attributes;  // given to an old file first; 0: none there
    DWORD sharing;     // of a handle held during the save
    int lettingGoAfterMs;
    const wchar_t* refusal;  // null: saved
  } cases[] = {
      {L"new.png", 0, kNotHeld, -1, nullptr},
      {L"old.bmp", FILE_ATTRIBUTE_NORMAL, kNotHeld, -1, nullptr},
      {L"viewed.png", FILE_ATTRIBUTE_NORMAL, kShareAll, -1, nullptr},
      {L"hidden.png", FILE_ATTRIBUTE_HIDDEN, kNotHeld, -1, nullptr},
      {L"hidden-viewed.png", FILE_ATTRIBUTE_HIDDEN, kShareAll, -1, nullptr},
      {L"scanned.png", FILE_ATTRIBUTE_NORMAL, 0, 60, nullptr},  // let go of within the wait
      {L"locked.png", FILE_ATTRIBUTE_NORMAL, 0, -1, L"held open by another program"},
      {L"reading.png", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, -1, L"held open by another program"},
      {L"kept.png", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, kNotHeld, -1, L"read-only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    const std::wstring file = path(c.name);
    if (c.attributes) {
      writeText(file, "the old file");
      SetFileAttributesW(file.c_str(), c.attributes);
    }
    auto before = listing();
    const HANDLE held = c.sharing == kNotHeld ? INVALID_HANDLE_VALUE
                                              : CreateFileW(file.c_str(), GENERIC_READ, c.sharing,
                                                            nullptr, OPEN_EXISTING, 0, nullptr);
    std::thread lettingGo;
    if (c.lettingGoAfterMs >= 0) {
      lettingGo = std::thread([&] {
        Sleep(static_cast<DWORD>(c.lettingGoAfterMs));
        CloseHandle(held);
      });
    }
    const bool saved = saveImageFile(&grid(), file.c_str());
    if (lettingGo.joinable()) {
      lettingGo.join();
    } else if (held != INVALID_HANDLE_VALUE) {
      CloseHandle(held);
    }
    auto after = listing();
    EXPECT_EQ(saved, c.refusal == nullptr) << lastError();
    if (c.refusal) {
      EXPECT_NE(std::wcsstr(lastError(), c.refusal), nullptr) << lastError();
    }
    // Only the target may change: no other file, and nothing left beside it.
    const auto withoutTarget = [&](decltype(after)& files) {
      files.erase(std::remove_if(files.begin(), files.end(),
                                 [&](const auto& f) { return saved && f.first == c.name; }),
                  files.end());
    };
    withoutTarget(before), withoutTarget(after);
    EXPECT_TRUE(after == before);
    IMAGE loaded;
    if (saved && loadImageFile(&loaded, file.c_str(), 0, 0, false)) {
      EXPECT_EQ(meanDifference(loaded, grid()), 0);
      EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN,
                c.attributes & FILE_ATTRIBUTE_HIDDEN);
    } else {
      EXPECT_FALSE(saved) << lastError();
    }
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

}  // namespace
