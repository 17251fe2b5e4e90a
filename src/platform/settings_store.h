// A small store of persisted settings: named signed 32-bit numbers and texts
// in named groups ("Options", "Options/ID3").
//
// The program's store is wxConfig-backed (ui/wx_config_store.h); tests and
// scripts use MemorySettingsStore. Every failure is a return value: reads
// leave the caller's value untouched when they fail.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace sondrel {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // True when the group exists and can be read.
  virtual bool HasGroup(const std::string& group) const = 0;
  // Creates the group (and its parents) for writing, or opens it when it
  // exists; false when the store cannot be written.
  virtual bool CreateGroup(const std::string& group) = 0;

  // True when a value of that name exists in the group (of any type).
  virtual bool HasValue(const std::string& group, const std::string& name) const = 0;
  // False, leaving `value` as it was, when the value is missing or is not a
  // signed 32-bit number.
  virtual bool ReadNumber(const std::string& group, const std::string& name,
                          int32_t& value) const = 0;
  // False, leaving `value` as it was, when the value is missing or unreadable.
  virtual bool ReadText(const std::string& group, const std::string& name,
                        std::string& value) const = 0;

  // Write (replace) a value; the group is created when missing.
  virtual bool WriteNumber(const std::string& group, const std::string& name, int32_t value) = 0;
  virtual bool WriteText(const std::string& group, const std::string& name,
                         const std::string& value) = 0;

  // Makes everything written so far durable (a file store writes its file).
  virtual bool Flush() { return true; }
};

// A store held in memory. Values may be given any type to imitate a store
// edited by hand; every write is logged.
class MemorySettingsStore : public SettingsStore {
 public:
  using Value = std::variant<int32_t, std::string>;

  bool HasGroup(const std::string& group) const override;
  bool CreateGroup(const std::string& group) override;
  bool HasValue(const std::string& group, const std::string& name) const override;
  bool ReadNumber(const std::string& group, const std::string& name, int32_t& value) const override;
  bool ReadText(const std::string& group, const std::string& name,
                std::string& value) const override;
  bool WriteNumber(const std::string& group, const std::string& name, int32_t value) override;
  bool WriteText(const std::string& group, const std::string& name,
                 const std::string& value) override;

  // The stored value, or null.
  const Value* Find(const std::string& group, const std::string& name) const;
  // Removes a value; the group stays.
  void Erase(const std::string& group, const std::string& name);
  // Removes a group with its values, and the groups below it.
  void EraseGroup(const std::string& group);

  // Makes CreateGroup and the writes fail, as a store that cannot be written.
  bool readOnly = false;
  // "group/name" of every successful write, in order.
  std::vector<std::string> writes;

 private:
  std::set<std::string> m_groups;
  std::map<std::pair<std::string, std::string>, Value> m_values;
};

}  // namespace sondrel
