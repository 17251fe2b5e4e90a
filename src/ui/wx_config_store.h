// The program's settings store on wxConfig (wxBase only). It is a library of
// its own (sondrel_wx_config) that the window layer and sondrel-cli link, and
// this header names no wx type, so either may include it with its own wx
// flags.
//
// On Linux the store is one file, "sondrel/sondrel.conf" in the user's XDG
// config folder ($XDG_CONFIG_HOME, default ~/.config), so that tests and
// scripts isolate it by setting that variable. Its groups are those of the
// store ("Options", "Options/ID3"). On Windows it is the registry key
// HKEY_CURRENT_USER\Software\Sondrel 3.
//
// The file is read once at construction; a file edited by hand with lines
// that are not values, texts that are not UTF-8 or values of the wrong type
// loads what can be read and leaves the rest unread. Writes stay in memory
// until Flush (or destruction), which replaces the file in one rename; a store
// that was only read never writes its file, and a file that exists but cannot
// be read (no permission, not a file, absurdly large) is never replaced.
#pragma once

#include <memory>
#include <string>

#include "platform/settings_store.h"

class wxConfigBase;

namespace sondrel {

class WxConfigStore : public SettingsStore {
 public:
  // The store of the current user (DefaultFilePath on Linux).
  WxConfigStore();
  // A store kept in the given file.
  explicit WxConfigStore(const std::string& filePath);
  ~WxConfigStore() override;
  WxConfigStore(const WxConfigStore&) = delete;
  WxConfigStore& operator=(const WxConfigStore&) = delete;

  // $XDG_CONFIG_HOME/sondrel/sondrel.conf (an absolute XDG_CONFIG_HOME only,
  // else ~/.config/sondrel/sondrel.conf); empty when there is no home folder.
  static std::string DefaultFilePath();
  // The file of this store; empty for the registry.
  const std::string& FilePath() const { return m_path; }

  bool HasGroup(const std::string& group) const override;
  bool CreateGroup(const std::string& group) override;
  bool HasValue(const std::string& group, const std::string& name) const override;
  bool ReadNumber(const std::string& group, const std::string& name, int32_t& value) const override;
  bool ReadText(const std::string& group, const std::string& name,
                std::string& value) const override;
  bool WriteNumber(const std::string& group, const std::string& name, int32_t value) override;
  bool WriteText(const std::string& group, const std::string& name,
                 const std::string& value) override;
  bool Flush() override;

 private:
  bool CanWrite() const;

  std::unique_ptr<wxConfigBase> m_config;
  std::string m_path;
  bool m_dirty = false;
  bool m_readOnly = false;
};

}  // namespace sondrel
