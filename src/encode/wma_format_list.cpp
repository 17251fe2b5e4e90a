#include "encode/wma_format_list.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/mediaruntime/wm_codec_formats.h"
#include "platform/text.h"

namespace sondrel {

bool WmaFormatList::Insert(WmaFormatEntry entry) {
  const int rate = entry.SampleRate();
  auto it = m_entries.begin();
  while (it != m_entries.end()) {
    if (it->SampleRate() > rate) break;
    if (it->SampleRate() == rate) {
      if (it->bitRate > entry.bitRate) break;
      if (it->bitRate == entry.bitRate) {
        // The run of formats with this rate and bit rate: a same-channel one
        // anywhere in it makes the new format a duplicate, so that a format
        // enumerated twice never shows twice, whatever came in between.
        for (auto run = it;
             run != m_entries.end() && run->SampleRate() == rate && run->bitRate == entry.bitRate;
             ++run) {
          if (run->Channels() == entry.Channels()) return false;
        }
        break;
      }
    }
    ++it;
  }
  m_entries.insert(it, std::move(entry));
  return true;
}

namespace {

bool IsWmaSubtype(WmSubtype subtype) {
  return subtype == WmSubtype::kWMAudioV8 || subtype == WmSubtype::kWMAudioV9;
}

}  // namespace

bool BuildWmaFormatList(WmaFormatList& list, WmCodecInfo* codecInfo) {
  list.Clear();
  std::unique_ptr<WmCodecInfo> own;
  if (!codecInfo) {
    own = CreateWmCodecInfo();
    codecInfo = own.get();
  }
  if (!codecInfo) return false;

  uint32_t codecs = 0;
  if (codecInfo->GetCodecInfoCount(WmMajorType::kAudio, codecs) != WmStatus::kOk) return false;

  bool clean = true;
  for (uint32_t codec = 0; codec < codecs; ++codec) {
    uint32_t formats = 0;
    if (codecInfo->GetCodecFormatCount(WmMajorType::kAudio, codec, formats) != WmStatus::kOk) {
      return false;
    }
    for (uint32_t format = 0; format < formats; ++format) {
      WmStreamConfig config;
      std::string description;
      if (codecInfo->GetCodecFormatDesc(WmMajorType::kAudio, codec, format, config, description) !=
          WmStatus::kOk) {
        clean = false;
        break;  // on with the next codec
      }
      if (AsciiUpper(description).find("(A/V)") != std::string::npos) continue;
      if (!config.HasMediaType()) {
        clean = false;
        break;
      }
      const WmMediaType& type = config.GetMediaType();
      if (IsWmaSubtype(type.subtype) && type.formatType == WmFormatType::kWaveFormatEx &&
          type.wave.channels <= 2) {
        list.Insert({type, static_cast<int>(config.GetBitrate())});
      }
    }
  }
  return clean;
}

bool ChooseWmaFormat(const WmaFormatList& list, int sampleRate, int bitRate, int channels,
                     const WmaFormatEntry*& entry, int& entryBitRate) {
  const WmaFormatEntry* candidate = nullptr;
  const WmaFormatEntry* chosen = nullptr;
  for (const WmaFormatEntry& e : list) {
    if (e.Channels() != channels) continue;
    if (e.SampleRate() < sampleRate) {
      candidate = &e;
      continue;
    }
    if (e.SampleRate() == sampleRate) {
      if (e.bitRate == bitRate) {
        chosen = &e;
        break;
      }
      if (e.bitRate < bitRate) {
        candidate = &e;
        continue;
      }
      // Above the wanted bit rate: the one below wins only when strictly
      // nearer; equal distance takes the higher bit rate.
      const bool belowNearer = candidate && candidate->SampleRate() == sampleRate &&
                               bitRate - candidate->bitRate < e.bitRate - bitRate;
      chosen = belowNearer ? candidate : &e;
      break;
    }
    // A higher sample rate: every format of the wanted rate was below the bit
    // rate, and the highest of them is the candidate.
    chosen = (candidate && candidate->SampleRate() == sampleRate) ? candidate : &e;
    break;
  }
  if (!chosen) chosen = candidate;
  entry = chosen;
  entryBitRate = chosen ? chosen->bitRate : 0;
  return chosen != nullptr;
}

}  // namespace sondrel
