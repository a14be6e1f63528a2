// A registry hive with many sibling keys, as a machine hive can grow to: loading
// it and listing the keys one by one the way the imaging-device list does, and
// one change to it, which reads and rewrites the whole hive.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/support/temporary_folder.h"
#include "platform/registry_store.h"

namespace {

using ostrel::platform::Hive;
using ostrel::platform::RegistryKey;

constexpr const char* kParent = "Software\\Bench\\Devices";

std::string keyName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "%05d", index);
  return name;
}

std::string hiveText(int keys) {
  std::string text = "; Ostrel registry store: HKEY_LOCAL_MACHINE\n\n[" + std::string(kParent) + "]\n";
  for (int i = 0; i < keys; ++i) {
    text += "\n[" + std::string(kParent) + "\\" + keyName(i) + "]\n";
    text += "\"DeviceID\"=sz:\"usb:" + keyName(i) + "\"\n\"DriverDesc\"=sz:\"Scanner " + keyName(i) + "\"\n";
  }
  return text;
}

// Each call gets a folder of its own: the store keeps a parsed hive while its file
// looks unchanged, and a copy written within one clock tick may look unchanged.
void placeHive(const std::string& text) {
  static int run = 0;
  const auto folder = std::filesystem::path(ostrel::bench::temporaryFolder()) / std::to_string(run++);
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "HKEY_LOCAL_MACHINE.reg", std::ios::binary) << text;
  ::setenv("OSTREL_REGISTRY", folder.c_str(), 1);
}

void BM_LoadAndListSiblingKeys(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  const std::string text = hiveText(keys);
  for (auto _ : state) {
    state.PauseTiming();
    placeHive(text);
    state.ResumeTiming();
    const auto parent = RegistryKey::open(Hive::LocalMachine, kParent);
    if (!parent) std::abort();
    std::size_t found = 0;
    for (std::size_t i = 0; auto name = parent->subkeyAt(i); ++i) {
      const auto key = RegistryKey::open(Hive::LocalMachine, std::string(kParent) + "\\" + *name);
      if (key && key->text("DeviceID")) ++found;
    }
    if (found != static_cast<std::size_t>(keys)) std::abort();
  }
  state.SetComplexityN(keys);
}
BENCHMARK(BM_LoadAndListSiblingKeys)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

void BM_SetValueBesideSiblingKeys(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  placeHive(hiveText(keys));
  auto key = RegistryKey::open(Hive::LocalMachine, std::string(kParent) + "\\" + keyName(keys / 2));
  if (!key) std::abort();
  std::uint32_t number = 0;
  for (auto _ : state) {
    if (!key->setNumber("Count", number++)) std::abort();
  }
  state.SetComplexityN(keys);
}
BENCHMARK(BM_SetValueBesideSiblingKeys)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace
