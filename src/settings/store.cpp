#include "settings/store.h"

#include <atomic>
#include <mutex>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/store_space.h"

namespace tv {
namespace {

std::mutex g_store_mutex;
std::unique_ptr<SettingsStore> g_store;
// Read without the mutex on every call: workers read display settings often.
std::atomic<SettingsStore*> g_current{nullptr};

}  // namespace

SettingsStore& Settings() {
  SettingsStore* store = g_current.load(std::memory_order_acquire);
  if (store != nullptr) return *store;
  std::lock_guard lock(g_store_mutex);
  if (!g_store) {
    g_store = SettingsStore::Open(SettingsStore::DefaultPath());
    g_current.store(g_store.get(), std::memory_order_release);
  }
  return *g_store;
}

void UseSettingsStore(std::unique_ptr<SettingsStore> store) {
  std::lock_guard lock(g_store_mutex);
  g_current.store(store.get(), std::memory_order_release);
  g_store = std::move(store);
}

std::string ReadSetting(std::string_view key, std::string_view name) {
  return Settings().Read(key, name);
}

bool WriteSetting(std::string_view key, std::string_view name, std::string_view text) {
  return Settings().Write(key, name, text);
}

bool CreateSettingKey(std::string_view key) { return Settings().CreateKey(key); }

bool DeleteSetting(std::string_view key, std::string_view name) {
  return Settings().DeleteValue(key, name);
}

bool EraseSetting(std::string_view key, std::string_view name) {
  return Settings().EraseValue(key, name);
}

bool DeleteSettingKey(std::string_view key) { return Settings().DeleteKey(key); }

std::vector<SettingValue> EnumerateSettings(std::string_view key) {
  return Settings().Enumerate(key);
}

bool SettingKeyExists(std::string_view key) { return Settings().KeyExists(key); }

bool WriteSettingOrWarn(std::string_view name, std::string_view text) {
  if (WriteSetting(kMainKey, name, text)) return true;
  if (StoreDiskFull()) return false;  // told once already
  ShowNotice(TV_TEXT("写入注册表错误\n\n为了程序的正常运行,请检查注册表是否可写"));
  return false;
}

}  // namespace tv
