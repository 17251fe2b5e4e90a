// The in-memory settings store.
#include "platform/settings_store.h"

namespace sondrel {
namespace {

// True when `group` is `parent` or lies below it.
bool InGroup(const std::string& group, const std::string& parent) {
  return group == parent ||
         (group.size() > parent.size() && group.compare(0, parent.size(), parent) == 0 &&
          group[parent.size()] == '/');
}

}  // namespace

bool MemorySettingsStore::HasGroup(const std::string& group) const {
  return m_groups.count(group) != 0;
}

bool MemorySettingsStore::CreateGroup(const std::string& group) {
  if (readOnly || group.empty()) return false;
  // Creating a group creates its parents, as a registry key does.
  for (size_t slash = group.find('/'); slash != std::string::npos;
       slash = group.find('/', slash + 1)) {
    m_groups.insert(group.substr(0, slash));
  }
  m_groups.insert(group);
  return true;
}

bool MemorySettingsStore::HasValue(const std::string& group, const std::string& name) const {
  return Find(group, name) != nullptr;
}

bool MemorySettingsStore::ReadNumber(const std::string& group, const std::string& name,
                                     int32_t& value) const {
  const Value* stored = Find(group, name);
  if (stored == nullptr || !std::holds_alternative<int32_t>(*stored)) return false;
  value = std::get<int32_t>(*stored);
  return true;
}

bool MemorySettingsStore::ReadText(const std::string& group, const std::string& name,
                                   std::string& value) const {
  const Value* stored = Find(group, name);
  if (stored == nullptr || !std::holds_alternative<std::string>(*stored)) return false;
  value = std::get<std::string>(*stored);
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
  if (!HasGroup(group)) return nullptr;
  auto it = m_values.find({group, name});
  return it == m_values.end() ? nullptr : &it->second;
}

void MemorySettingsStore::Erase(const std::string& group, const std::string& name) {
  m_values.erase({group, name});
}

void MemorySettingsStore::EraseGroup(const std::string& group) {
  std::erase_if(m_groups, [&](const std::string& g) { return InGroup(g, group); });
  std::erase_if(m_values, [&](const auto& entry) { return InGroup(entry.first.first, group); });
}

}  // namespace sondrel
