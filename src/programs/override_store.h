// A settings store that lays values given on the command line over another
// store. Which names exist, and which of them are numbers, the caller finds in
// the settings tables (FindSetting) before it adds an override, so unknown
// names are refused before anything is loaded and overrides are saved with
// their type.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/settings_store.h"

namespace sondrel {

class OverrideStore : public SettingsStore {
 public:
  explicit OverrideStore(SettingsStore& base) : m_base(base) {}

  struct Override {
    std::string group, name, value;
    bool number = false;  // stored as a number (the value parses as one)
  };

  // "Name=Value" names the "Options" group, "ID3/Name=Value" the custom tag.
  // False when the text holds no '=' or no name.
  static bool ParseAssignment(const std::string& assignment, Override& o);
  // A decimal signed 32-bit number, the whole text.
  static bool ParseNumber(const std::string& text, int32_t& value);

  // Lays a value over the base store (a later one of the same name wins).
  void Add(Override o);

  // Writes the overrides into the base store, then flushes it. False when a
  // write failed.
  bool SaveOverrides();

  bool HasGroup(const std::string& group) const override;
  bool CreateGroup(const std::string& group) override { return m_base.CreateGroup(group); }
  bool HasValue(const std::string& group, const std::string& name) const override;
  bool ReadNumber(const std::string& group, const std::string& name, int32_t& value) const override;
  bool ReadText(const std::string& group, const std::string& name,
                std::string& value) const override;
  bool WriteNumber(const std::string& group, const std::string& name, int32_t value) override {
    return m_base.WriteNumber(group, name, value);
  }
  bool WriteText(const std::string& group, const std::string& name,
                 const std::string& value) override {
    return m_base.WriteText(group, name, value);
  }
  bool Flush() override { return m_base.Flush(); }

 private:
  SettingsStore& m_base;
  std::map<std::pair<std::string, std::string>, Override> m_overrides;
};

}  // namespace sondrel
