// The in-memory settings store (implementation follows).
#include "platform/settings_store.h"

namespace sondrel {

bool MemorySettingsStore::HasGroup(const std::string& group) const {
  return m_groups.count(group) != 0;
}
bool MemorySettingsStore::CreateGroup(const std::string& group) {
  if (readOnly) return false;
  m_groups.insert(group);
  return true;
}
bool MemorySettingsStore::HasValue(const std::string& group, const std::string& name) const {
  return Find(group, name) != nullptr;
}
bool MemorySettingsStore::ReadNumber(const std::string& group, const std::string& name,
                                     int32_t& value) const {
  const Value* v = Find(group, name);
  if (v == nullptr || !std::holds_alternative<int32_t>(*v)) return false;
  value = std::get<int32_t>(*v);
  return true;
}
bool MemorySettingsStore::ReadText(const std::string& group, const std::string& name,
                                   std::string& value) const {
  const Value* v = Find(group, name);
  if (v == nullptr || !std::holds_alternative<std::string>(*v)) return false;
  value = std::get<std::string>(*v);
  return true;
}
bool MemorySettingsStore::WriteNumber(const std::string& group, const std::string& name,
                                      int32_t value) {
  if (!CreateGroup(group)) return false;
  m_values[{group, name}] = value;
  writes.push_back(group + "/" + name);
  return true;
}
bool MemorySettingsStore::WriteText(const std::string& group, const std::string& name,
                                    const std::string& value) {
  if (!CreateGroup(group)) return false;
  m_values[{group, name}] = value;
  writes.push_back(group + "/" + name);
  return true;
}
const MemorySettingsStore::Value* MemorySettingsStore::Find(const std::string& group,
                                                            const std::string& name) const {
  auto it = m_values.find({group, name});
  return it == m_values.end() ? nullptr : &it->second;
}
void MemorySettingsStore::Erase(const std::string& group, const std::string& name) {
  m_values.erase({group, name});
}
void MemorySettingsStore::EraseGroup(const std::string& group) { m_groups.erase(group); }

}  // namespace sondrel
