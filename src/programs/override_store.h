// A settings store that lays values given on the command line over another
// store, and notes which values the settings loader asked for (and as what),
// so that unknown names can be refused and overrides saved with their type.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/settings_store.h"

namespace sondrel {

class OverrideStore : public SettingsStore {
 public:
  enum class Kind { Unknown, Number, Text };

  explicit OverrideStore(SettingsStore& base) : m_base(base) {}

  // "Name=Value" for the "Options" group, "ID3/Name=Value" for the custom
  // tag. False when the text holds no '=' or no name.
  bool AddOverride(const std::string& assignment);

  // After loading: the kind the loader read an override as; Unknown when it
  // never asked for that name.
  struct Override {
    std::string group, name, value;
    Kind kind = Kind::Unknown;
    bool valid = true;  // false: a number that does not parse
  };
  const std::map<std::pair<std::string, std::string>, Override>& Overrides() const {
    return m_overrides;
  }

  // Writes the overrides into the base store with the kinds found while
  // loading, then flushes it. False when a write failed.
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

  // A decimal signed 32-bit number, the whole text.
  static bool ParseNumber(const std::string& text, int32_t& value);

 private:
  SettingsStore& m_base;
  // Read-time bookkeeping lives in the const read calls.
  mutable std::map<std::pair<std::string, std::string>, Override> m_overrides;
};

}  // namespace sondrel
