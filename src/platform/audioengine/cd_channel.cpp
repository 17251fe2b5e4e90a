#include "platform/audioengine/cd_channel.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cstdlib>
#include <mutex>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/pending_samples.h"
#include "platform/c_handle.h"
#include "platform/file.h"

namespace sondrel::audioengine {

namespace {

constexpr size_t kCdaFileBytes = 44;
constexpr uint32_t kFramesPerSector = 588;  // 2352 bytes of 16-bit stereo

using CdioPtr = CHandle<CdIo_t, cdio_destroy>;
// The drive object borrows the CdIo_t, which its own owner destroys.
using DrivePtr = CHandle<cdrom_drive_t, cdio_cddap_close_no_free_cdio>;
using ParanoiaPtr = CHandle<cdrom_paranoia_t, cdio_paranoia_free>;

void IgnoreLog(cdio_log_level_t, const char*) {}

// The device or image to read from; empty when there is none.
std::string CdDevice() {
  const char* named = std::getenv(kCdDeviceVariable);
  if (named && *named) return named;
  CHandle<char, cdio_free> device(cdio_get_default_device(nullptr));
  return device ? std::string(device.get()) : std::string();
}

class CdChannel : public Channel {
 public:
  bool Start(const std::string& path, const CdaTrack& cda, int& error) {
    error = BASS_ERROR_NOCD;
    const std::string device = CdDevice();
    if (device.empty()) return false;
    m_cdio.reset(cdio_open(device.c_str(), DRIVER_UNKNOWN));
    if (!m_cdio) return false;
    m_drive.reset(cdio_cddap_identify_cdio(m_cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr));
    if (!m_drive || cdio_cddap_open(m_drive.get()) != 0) return false;
    // CD audio comes little-endian from drives and images alike; the
    // drive's own guess from the data can be fooled by quiet tracks.
    m_drive->bigendianp = 0;

    error = BASS_ERROR_CDTRACK;
    const auto track = static_cast<track_t>(cda.track);
    const track_t first = cdio_get_first_track_num(m_cdio.get());
    const track_t count = cdio_cddap_tracks(m_drive.get());
    if (track < first || track >= first + count || !cdio_cddap_track_audiop(m_drive.get(), track)) {
      return false;
    }
    const lsn_t begin = cdio_cddap_track_firstsector(m_drive.get(), track);
    const lsn_t last = cdio_cddap_track_lastsector(m_drive.get(), track);
    if (begin < 0 || last < begin) return false;

    m_paranoia.reset(cdio_paranoia_init(m_drive.get()));
    if (!m_paranoia) return false;
    cdio_paranoia_modeset(m_paranoia.get(), PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    cdio_paranoia_seek(m_paranoia.get(), begin, SEEK_SET);
    m_sectorsLeft = static_cast<uint32_t>(last - begin + 1);

    SetFormat(44100, 2, false, BASS_CTYPE_STREAM_CD, 16);
    SetLengthFrames(uint64_t{m_sectorsLeft} * kFramesPerSector);
    // The track's data stands for the stream's file.
    SetFileBytes(uint64_t{m_sectorsLeft} * CDIO_CD_FRAMESIZE_RAW);
    SetSource(path, TagSource::None);
    error = BASS_OK;
    return true;
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    return m_sector.Deliver(static_cast<int16_t*>(out), frames, 2, [this] {
      if (m_sectorsLeft == 0) return false;
      const int16_t* sector = cdio_paranoia_read(m_paranoia.get(), nullptr);
      if (sector == nullptr) return false;
      m_sector.samples.assign(sector, sector + kFramesPerSector * 2);
      --m_sectorsLeft;
      return true;
    });
  }

 private:
  // Declared in the order they are made, so that they are released in reverse.
  CdioPtr m_cdio;
  DrivePtr m_drive;
  ParanoiaPtr m_paranoia;
  uint32_t m_sectorsLeft = 0;
  PendingSamples m_sector;  // the rest of the last sector read
};

}  // namespace

std::optional<CdaTrack> ParseCdaFile(const uint8_t* data, size_t size) {
  ByteCursor c(data, size);
  if (size != kCdaFileBytes || !c.Match("RIFF") || c.Le32() != kCdaFileBytes - 8 ||
      !c.Match("CDDA") || !c.Match("fmt ") || c.Le32() != 24) {
    return std::nullopt;
  }
  c.Skip(2);  // format version
  CdaTrack t;
  t.track = c.Le16();
  t.serial = c.Le32();
  t.firstSector = c.Le32();
  t.sectors = c.Le32();
  if (t.track < 1 || t.track > 99) return std::nullopt;
  return t;
}

std::unique_ptr<Channel> OpenCdChannel(const std::string& path, int& error) {
  // One byte more than a track file holds tells a longer file apart.
  const std::optional<std::vector<uint8_t>> bytes = ReadFileHead(path, kCdaFileBytes + 1);
  if (!bytes) {
    error = BASS_ERROR_FILEOPEN;
    return nullptr;
  }
  const std::optional<CdaTrack> cda = ParseCdaFile(bytes->data(), bytes->size());
  if (!cda) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  static std::once_flag quiet;
  std::call_once(quiet, [] { cdio_log_set_handler(IgnoreLog); });
  auto channel = std::make_unique<CdChannel>();
  if (!channel->Start(path, *cda, error)) return nullptr;
  return channel;
}

}  // namespace sondrel::audioengine
