#include "platform/mediaruntime/wm_profile.h"

#include <algorithm>

namespace sondrel {

WmStatus WmStreamConfig::SetMediaType(const WmMediaType& mediaType) {
  if (mediaType.majorType != m_type) return WmStatus::kFailed;
  m_mediaType = mediaType;
  m_hasMediaType = true;
  return WmStatus::kOk;
}

WmStatus WmStreamConfig::SetStreamNumber(uint16_t number) {
  if (number < 1 || number > 127) return WmStatus::kFailed;
  m_number = number;
  return WmStatus::kOk;
}

WmStatus WmProfile::CreateNewStream(WmMajorType type, WmStreamConfig& config) const {
  if (type != WmMajorType::kAudio && type != WmMajorType::kVideo) return WmStatus::kFailed;
  config = WmStreamConfig(type);
  return WmStatus::kOk;
}

WmStatus WmProfile::AddStream(const WmStreamConfig& config) {
  if (!config.HasMediaType() || config.GetStreamNumber() == 0) return WmStatus::kFailed;
  const bool used = std::any_of(m_streams.begin(), m_streams.end(), [&](const WmStreamConfig& s) {
    return s.GetStreamNumber() == config.GetStreamNumber();
  });
  if (used) return WmStatus::kFailed;
  m_streams.push_back(config);
  return WmStatus::kOk;
}

}  // namespace sondrel
