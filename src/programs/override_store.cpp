#include "programs/override_store.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "engine/settings.h"

namespace sondrel {

bool OverrideStore::ParseAssignment(const std::string& assignment, Override& o) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  std::string name = assignment.substr(0, eq);
  std::string group = kOptionsGroup;
  const std::string id3 = "ID3/";
  if (name.compare(0, id3.size(), id3) == 0) {
    group = kCustomTagGroup;
    name = name.substr(id3.size());
  }
  if (name.empty()) return false;
  o.group = group;
  o.name = name;
  o.value = assignment.substr(eq + 1);
  return true;
}

bool OverrideStore::ParseNumber(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < std::numeric_limits<int32_t>::min() ||
      v > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

void OverrideStore::Add(Override o) {
  auto key = std::make_pair(o.group, o.name);
  m_overrides[std::move(key)] = std::move(o);
}

bool OverrideStore::HasGroup(const std::string& group) const {
  if (m_base.HasGroup(group)) return true;
  for (const auto& [key, o] : m_overrides) {
    if (key.first == group) return true;
  }
  return false;
}

bool OverrideStore::HasValue(const std::string& group, const std::string& name) const {
  return m_overrides.count({group, name}) != 0 || m_base.HasValue(group, name);
}

bool OverrideStore::ReadNumber(const std::string& group, const std::string& name,
                               int32_t& value) const {
  auto it = m_overrides.find({group, name});
  if (it == m_overrides.end()) return m_base.ReadNumber(group, name, value);
  return it->second.number && ParseNumber(it->second.value, value);
}

bool OverrideStore::ReadText(const std::string& group, const std::string& name,
                             std::string& value) const {
  auto it = m_overrides.find({group, name});
  if (it == m_overrides.end()) return m_base.ReadText(group, name, value);
  value = it->second.value;
  return true;
}

bool OverrideStore::SaveOverrides() {
  bool ok = true;
  for (const auto& [key, o] : m_overrides) {
    if (!m_base.CreateGroup(o.group)) return false;
    int32_t number = 0;
    if (!o.number) {
      ok = m_base.WriteText(o.group, o.name, o.value) && ok;
    } else if (ParseNumber(o.value, number)) {
      ok = m_base.WriteNumber(o.group, o.name, number) && ok;
    } else {
      ok = false;
    }
  }
  return m_base.Flush() && ok;
}

}  // namespace sondrel
