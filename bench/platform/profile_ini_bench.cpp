// Loading a scan profile file of 100 profiles with about 40 keys each, key by
// key, as the profile loader does at start-up.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/ini_file.h"

namespace {

constexpr int kProfiles = 100;
constexpr int kKeys = 40;

std::string keyName(int k) { return "Key" + std::to_string(k); }

class ProfileFile {
 public:
  ProfileFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    path_ = folder_ + "/ScanSetting.ini";
    std::string text;
    for (int p = 0; p < kProfiles; ++p) {
      text += "[" + std::to_string(p) + "]\r\nValid=1\r\nTitle=Profile " + std::to_string(p) + "\r\n";
      for (int k = 0; k < kKeys; ++k) text += keyName(k) + "=" + std::to_string(p * k) + "\r\n";
    }
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  ~ProfileFile() { std::filesystem::remove_all(folder_); }
  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
};

void BM_LoadProfilesKeyByKey(benchmark::State& state) {
  ProfileFile file;
  for (auto _ : state) {
    long sum = 0;
    for (int p = 0; p < kProfiles; ++p) {
      const std::string section = std::to_string(p);
      sum += ostrel::platform::GetPrivateProfileInt(section, "Valid", -1, file.path());
      benchmark::DoNotOptimize(
          ostrel::platform::GetPrivateProfileString(section, "Title", "", file.path()));
      for (int k = 0; k < kKeys; ++k) {
        sum += ostrel::platform::GetPrivateProfileInt(section, keyName(k), 0, file.path());
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["keys"] = kProfiles * (kKeys + 2);
}
BENCHMARK(BM_LoadProfilesKeyByKey)->Unit(benchmark::kMillisecond);

void BM_WriteOneKey(benchmark::State& state) {
  ProfileFile file;
  int value = 0;
  for (auto _ : state) {
    ostrel::platform::WritePrivateProfileString("50", "Key20", std::to_string(value++), file.path());
  }
}
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMicrosecond);

}  // namespace
